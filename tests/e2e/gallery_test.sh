#!/bin/sh
# The component gallery on a real (virtual) desktop: its window appears, the
# performance graph moves by itself, every tab can be clicked, and each page
# is kept as a screenshot. Closing by the window manager ends it cleanly.
set -eu
. "$(dirname "$0")/lib.sh"
: "${QUORVANE_BIN:?}" "${QUORVANE_E2E_OUT:?}"
mkdir -p "$QUORVANE_E2E_OUT"

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-gallery.XXXXXX")
app=""
cleanup() {
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then kill "$app" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "gallery_test: $*" >&2; exit 1; }

# Pictures for comparing are kept as PPM: no time stamps inside, so equal
# pixels give equal files.
grab() { # FILE: the gallery window as it is on screen now
    import -window "$wid" "ppm:$1" 2>/dev/null
}
tab_row() { # FILE: only the row of tabs, which never animates
    grab "$work/full.ppm" && convert "$work/full.ppm" -crop "${WIDTH}x22+0+0" +repage "ppm:$1"
}

"$QUORVANE_BIN/quorvane-components" >"$work/gallery.log" 2>&1 &
app=$!
wid=$(timeout 30 xdotool search --sync --onlyvisible --name "^Quorvane components$" 2>/dev/null | head -n 1) || true
[ -n "$wid" ] || fail "the gallery window did not appear"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
eval "$(xdotool getwindowgeometry --shell "$wid")"

# The first tab is the performance graph: fed by a timer, its picture must
# keep changing without any input.
grab "$work/start.ppm"
wait_until 20 'grab "$work/now.ppm" && ! cmp -s "$work/now.ppm" "$work/start.ppm"' \
    || fail "the performance graph does not move"

# Tabs sit in one row along the top; step rightwards along it clicking until
# the selected tab changes, then keep a picture of the page it shows.
x=8
first=yes
for page in perfgrap cgauges cspin ccalendr cdiroutl; do
    if [ -z "$first" ]; then
        tab_row "$work/tabs-before.ppm"
        found=""
        while [ "$x" -lt "$WIDTH" ] && [ -z "$found" ]; do
            x=$((x + 15))
            xdotool mousemove --window "$wid" "$x" 12 click 1
            if wait_until 1 'tab_row "$work/tabs-now.ppm" && ! cmp -s "$work/tabs-now.ppm" "$work/tabs-before.ppm"'; then
                found=yes
            fi
        done
        [ -n "$found" ] || fail "no tab found for $page"
        # Only the graph page animates and it comes first: every later page
        # has settled once two pictures in a row are equal.
        wait_until 20 'grab "$work/a.ppm" && grab "$work/b.ppm" && cmp -s "$work/a.ppm" "$work/b.ppm"' \
            || fail "page $page never settled"
    fi
    first=""
    file="$QUORVANE_E2E_OUT/gallery-$page.png"
    import -window "$wid" "$file" 2>/dev/null
    [ -s "$file" ] || fail "no screenshot for $page"
    echo "gallery_test: screenshot $file"
done

xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
xdotool key alt+F4
wait_until 20 '! kill -0 "$app" 2>/dev/null' || fail "the gallery did not close"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the gallery ended with status $status"
echo "gallery_test: passed"

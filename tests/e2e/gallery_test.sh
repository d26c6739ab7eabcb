#!/bin/sh
# SPDX-License-Identifier: MIT
# The component gallery on a real (virtual) desktop: its window appears, the
# performance graph moves by itself, every tab can be clicked, and each page
# is kept as a screenshot. Closing by the window manager ends it cleanly.
# Then the same pages once more at twice the density (QT_SCALE_FACTOR=2) on a
# desktop of its own large enough for the doubled window: gallery-<page>@2x.png.
# The screenshots in the README's component section are these pictures.
set -eu
. "$(dirname "$0")/lib.sh"
: "${QUORVANE_BIN:?}" "${QUORVANE_E2E_OUT:?}"
mkdir -p "$QUORVANE_E2E_OUT"

# Set only inside the second pass, which this script starts itself.
scale=${GALLERY_SCALE:-1}
suffix=""
[ "$scale" -eq 1 ] || suffix="@${scale}x"

work=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-gallery.XXXXXX")
app=""
cleanup() {
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then kill "$app" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "gallery_test$suffix: $*" >&2; exit 1; }

# Pictures for comparing are kept as PPM: no time stamps inside, so equal
# pixels give equal files.
grab() { # FILE: the gallery window as it is on screen now
    import -window "$wid" "ppm:$1" 2>/dev/null
}
tab_row() { # FILE: only the row of tabs, which never animates
    grab "$work/full.ppm" && convert "$work/full.ppm" -crop "${WIDTH}x$((22 * scale))+0+0" +repage "ppm:$1"
}

# The directory page walks down to the home folder: a scratch one, the first
# of enough sibling folders to fill the page, so the pictures show the same
# tree wherever they are taken.
folders="$work/folders"
for dir in Archive Books Contracts Desktop Documents Downloads Drafts Invoices Journal Letters \
    Music Notes Photos Pictures Podcasts Projects Public Receipts Recipes Reports Scans Slides \
    Templates Travel Videos; do
    mkdir -p "$folders/$dir"
done

(cd "$folders" && HOME="$folders/Archive" QT_SCALE_FACTOR="$scale" "$QUORVANE_BIN/quorvane-components") \
    >"$work/gallery.log" 2>&1 &
app=$!
find_window() {
    wid=$(xdotool search --onlyvisible --name "^Quorvane components$" 2>/dev/null | head -n 1) || true
    [ -n "$wid" ]
}
# Polled, so that a gallery that ended early is seen at once and reported with
# its own output instead of a bare time-out.
if ! wait_until 30 'find_window || ! kill -0 "$app" 2>/dev/null' || [ -z "$wid" ]; then
    cat "$work/gallery.log" >&2
    fail "the gallery window did not appear"
fi
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
eval "$(xdotool getwindowgeometry --shell "$wid")"

# The first tab is the performance graph: fed by a timer, its picture must
# keep changing without any input.
grab "$work/start.ppm"
wait_until 20 'grab "$work/now.ppm" && ! cmp -s "$work/now.ppm" "$work/start.ppm"' \
    || fail "the performance graph does not move"

# Tabs sit in one row along the top; step rightwards along it clicking until
# the selected tab changes, then keep a picture of the page it shows.
x=$((8 * scale))
first=yes
for page in perfgrap cgauges cspin ccalendr cdiroutl; do
    if [ -z "$first" ]; then
        tab_row "$work/tabs-before.ppm"
        found=""
        while [ "$x" -lt "$WIDTH" ] && [ -z "$found" ]; do
            x=$((x + 15 * scale))
            xdotool mousemove --window "$wid" "$x" $((12 * scale)) click 1
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
    # Away from the tabs, so no hover highlight ends up in the picture.
    xdotool mousemove --window "$wid" $((WIDTH - 2)) $((HEIGHT - 2))
    file="$QUORVANE_E2E_OUT/gallery-$page$suffix.png"
    # Without time stamps, so a picture of unchanged pixels is an unchanged file.
    import -window "$wid" -define png:exclude-chunks=date,time "$file" 2>/dev/null
    [ -s "$file" ] || fail "no screenshot for $page"
    echo "gallery_test$suffix: screenshot $file"
done

xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
xdotool key alt+F4
wait_until 20 '! kill -0 "$app" 2>/dev/null' || fail "the gallery did not close"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || fail "the gallery ended with status $status"

if [ "$scale" -eq 1 ]; then
    # The doubled window (1440 x 960) needs a larger screen than this one.
    GALLERY_SCALE=2 WITH_DESKTOP_GEOMETRY=1600x1200x24 \
        sh "$(dirname "$0")/with-desktop.sh" sh "$0" || fail "the pass at twice the density failed"
fi
echo "gallery_test$suffix: passed"

#!/bin/sh
# SPDX-License-Identifier: MIT
# run-demo.sh BIN_DIR
# Runs the program in BIN_DIR against the bundled demo signal service.
# With a desktop (DISPLAY set) the window stays until the user closes it.
# Without one, a virtual desktop is started, the window runs for about 20
# seconds, a screenshot is saved (its path is printed) and the window is closed.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)

# --show BIN_DIR: the headless part, run inside with-desktop.sh.
if [ "${1:-}" = "--show" ]; then
    BIN=$2
    shot="${QUORVANE_DEMO_OUT:-${TMPDIR:-/tmp}}/quorvane-demo-$(date +%Y%m%d-%H%M%S).png"
    "$BIN/quorvane" &
    app=$!
    wid=$(timeout 60 xdotool search --sync --onlyvisible --name "Quorvane 2.0" | head -n 1) || true
    if [ -z "$wid" ]; then
        echo "run-demo: the window did not appear" >&2
        kill "$app" 2>/dev/null || true
        exit 1
    fi
    echo "run-demo: window $wid is up; polling for 20 s"
    sleep 20
    import -window "$wid" "$shot"
    echo "run-demo: screenshot saved to $shot"
    # A termination request closes the window the regular way: settings saved.
    kill -TERM "$app"
    wait "$app" || true
    exit 0
fi

[ $# -eq 1 ] || { echo "usage: run-demo.sh BIN_DIR" >&2; exit 2; }
BIN=$(cd "$1" && pwd)
[ -x "$BIN/quorvane" ] || { echo "run-demo: $BIN/quorvane not found" >&2; exit 1; }

started=$("$ROOT/sim/start.sh")
url=$(printf '%s\n' "$started" | sed -n 1p)
pid=$(printf '%s\n' "$started" | sed -n 2p)
trap '"$ROOT/sim/stop.sh" "$pid" >/dev/null 2>&1 || true' EXIT INT TERM
echo "run-demo: demo service at $url"

# Point the program at the demo service: set [Service] Url, keep everything else.
ini="$BIN/quorvane.INI"
[ -f "$ini" ] || : >"$ini"
tmp="$ini.tmp.$$"
awk -v url="$url" '
    function flush() { if (insec && !done) { print "Url=" url; done = 1 } }
    /^[ \t]*\[/ {
        flush()
        insec = (tolower($0) ~ /^[ \t]*\[service\][ \t\r]*$/)
        if (insec) seen = 1
        print; next
    }
    insec && tolower($0) ~ /^[ \t]*url[ \t]*=/ { if (!done) { print "Url=" url; done = 1 } next }
    { print }
    END { flush(); if (!seen) { print "[Service]"; print "Url=" url } }
' "$ini" >"$tmp"
mv "$tmp" "$ini"

if [ -n "${DISPLAY:-}" ]; then
    "$BIN/quorvane"
else
    sh "$ROOT/tests/e2e/with-desktop.sh" sh "$ROOT/tools/run-demo.sh" --show "$BIN"
fi

#!/bin/sh
# SPDX-License-Identifier: MIT
# End to end on a virtual desktop: the tray icon appears in the notification
# area; minimising the window takes its task-bar button away; a double click
# on the icon brings the window back; a right click opens the menu and "&Exit"
# ends the program through its normal shut-down; "&Restore" restores.
#
# Runs inside with-desktop.sh. By default it drives quorvane-trayhost (a plain
# window with a tray icon set up like the main window's); set
# QUORVANE_TRAY_PROGRAM to drive another program, e.g. "$QUORVANE_BIN/quorvane".
set -u
. "$(dirname "$0")/lib.sh"

: "${QUORVANE_BIN:?QUORVANE_BIN must name the folder with the programs}"
: "${DISPLAY:?run me inside with-desktop.sh}"
out=${QUORVANE_E2E_OUT:-${TMPDIR:-/tmp}}
mkdir -p "$out"
program=${QUORVANE_TRAY_PROGRAM:-$QUORVANE_BIN/quorvane-trayhost}
work=$(mktemp -d "${TMPDIR:-/tmp}/tray_test.XXXXXX") || exit 1
pid=""

cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

log() { echo "tray_test: $*"; }

fail() {
    echo "tray_test: FAIL: $*" >&2
    import -window root "$out/tray_failure.png" 2>/dev/null
    if [ -s "$work/stdout" ]; then
        echo "--- program output:" >&2
        cat "$work/stdout" >&2
    fi
    exit 1
}

said() { grep -qx "$1" "$work/stdout" 2>/dev/null; }

# The main window: the program's window that the window manager manages
# (not the icon the tray has embedded).
main_window() {
    icon=$(tray_icon | awk '{ print $1 }')
    for w in $(xdotool search --pid "$pid" 2>/dev/null); do
        hex=$(printf '0x%x' "$w")
        [ "$hex" = "$icon" ] && continue
        if xprop -id "$hex" WM_STATE 2>/dev/null | grep -q 'window state'; then
            if ! xwininfo -id "$hex" 2>/dev/null | grep -q 'Override Redirect State: yes'; then
                echo "$hex"
                return 0
            fi
        fi
    done
    return 1
}

# Whether the window has a task-bar button: it is in the window manager's
# client list and mapped.
on_task_bar() {
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q "$window\\b" &&
        xwininfo -id "$window" 2>/dev/null | grep -q 'IsViewable'
}

# The icon embedded in the notification area: "ID W H X Y" (absolute).
tray_icon() {
    systray=$(xwininfo -root -tree 2>/dev/null | awk '/"SystemTray"/ { print $1; exit }')
    [ -n "$systray" ] || return 1
    xwininfo -tree -id "$systray" 2>/dev/null | awk '
        /\("/ && $(NF-1) ~ /^[0-9]+x[0-9]+/ {
            split($(NF-1), g, /[x+]/); split($NF, a, /\+/);
            if (g[1] > 1 && g[2] > 1) { print $1, g[1], g[2], a[2], a[3]; found = 1; exit }
        }
        END { exit found ? 0 : 1 }'
}

icon_centre() {
    set -- $(tray_icon) || return 1
    echo "$(($4 + $2 / 2)) $(($5 + $3 / 2))"
}

# A popup menu of the program that is on screen: "W H X Y".
open_menu() {
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
        hex=$(printf '0x%x' "$w")
        info=$(xwininfo -id "$hex" 2>/dev/null) || continue
        echo "$info" | grep -q 'Override Redirect State: yes' || continue
        echo "$info" | grep -q 'IsViewable' || continue
        [ "$hex" = "$window" ] && continue
        wdt=$(echo "$info" | awk '/Width:/ { print $2 }')
        hgt=$(echo "$info" | awk '/Height:/ { print $2 }')
        x=$(echo "$info" | awk '/Absolute upper-left X:/ { print $4 }')
        y=$(echo "$info" | awk '/Absolute upper-left Y:/ { print $4 }')
        # The tray icon itself is not a menu.
        [ "$wdt" -gt 40 ] || continue
        echo "$wdt $hgt $x $y"
        return 0
    done
    return 1
}

[ -x "$program" ] || fail "no program at $program"
log "driving $program"
"$program" >"$work/stdout" 2>"$work/stderr" &
pid=$!

# 1. The icon appears in the tray.
wait_until 20 'tray_icon >/dev/null' || fail "no icon in the notification area"
wait_until 20 'window=$(main_window)' || fail "the program shows no window"
log "window $window, tray icon $(tray_icon)"
wait_until 10 on_task_bar || fail "the window has no task-bar button at start"
set -- $(tray_icon)
import -window root "$out/tray_desktop.png" || fail "screenshot failed"
# The tray corner of the task bar, with the icon in it.
import -window root -crop "160x40+$(($4 + $2 - 160))+$(($5 - 8))" +repage "$out/tray_icon.png" ||
    fail "tray screenshot failed"

# 2. Minimising the window (as the minimise box does) sends it to the tray.
xdotool windowminimize "$window"
wait_until 10 '! on_task_bar' || fail "the task-bar button stayed after minimising"
tray_icon >/dev/null || fail "the icon left the tray when minimising"
import -window root "$out/tray_minimised.png"
if [ -z "${QUORVANE_TRAY_PROGRAM:-}" ]; then
    wait_until 5 'said minimized' || fail "OnMinimize was not raised"
fi

# 3. A double click on the icon brings the window back.
set -- $(icon_centre)
xdotool mousemove "$1" "$2"
xdotool click --repeat 2 --delay 120 1
wait_until 10 on_task_bar || fail "a double click on the icon did not restore the window"
if [ -z "${QUORVANE_TRAY_PROGRAM:-}" ]; then
    wait_until 5 'said restored' || fail "OnRestore was not raised"
fi
import -window root "$out/tray_restored.png"

# click_menu_item FRACTION: opens the menu by a right click on the icon and
# clicks at FRACTION/4 of its height ("&Restore" at 1, "&Exit" at 3).
click_menu_item() {
    set -- "$1" $(icon_centre)
    xdotool mousemove "$2" "$3"
    xdotool click 3
    wait_until 10 'menu=$(open_menu)' || fail "a right click on the icon opened no menu"
    [ "$1" -eq 3 ] && import -window root "$out/tray_menu.png"
    quarter=$1
    set -- $menu
    xdotool mousemove "$(($3 + $1 / 2))" "$(($4 + $2 * quarter / 4))"
    xdotool click 1
}

# 4. Minimised again, the menu's "&Restore" brings the window back.
xdotool windowminimize "$window"
wait_until 10 '! on_task_bar' || fail "the task-bar button stayed after minimising again"
click_menu_item 1
wait_until 10 on_task_bar || fail "\"&Restore\" in the menu did not restore the window"
if [ -z "${QUORVANE_TRAY_PROGRAM:-}" ]; then
    wait_until 5 'said "menu restore"' || fail "the click did not reach \"&Restore\""
fi

# 5. A right click opens the menu; "&Exit" ends the program normally.
wait_until 5 '! open_menu >/dev/null' || fail "the menu stayed open"
click_menu_item 3
wait_until 15 '! kill -0 "$pid" 2>/dev/null' || fail "the program did not end after \"&Exit\""
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with exit code $status"
if [ -z "${QUORVANE_TRAY_PROGRAM:-}" ]; then
    said "menu exit" || fail "the click did not reach \"&Exit\""
    said "shutdown complete" || fail "the program skipped its shut-down"
fi
wait_until 5 '! tray_icon >/dev/null' || fail "the icon stayed in the tray after the program ended"
log "passed; screenshots in $out"
exit 0

#!/bin/sh
# SPDX-License-Identifier: MIT
# with-desktop.sh CMD ARGS...
# Runs CMD on a private virtual desktop: Xvfb (1024x768x24) on a free display
# number with IceWM as window manager, its task bar and its notification area
# switched on. DISPLAY is set for CMD, and XDG_RUNTIME_DIR names a private
# folder of this run, so a copy of the program running on the machine's own
# desktop never holds "its" single-instance lock. Everything started here is
# stopped on exit, and the script ends with CMD's exit code.
#
# Environment (optional):
#   WITH_DESKTOP_GEOMETRY  screen size, default 1024x768x24
#   WITH_DESKTOP_TIMEOUT   seconds to wait for the X server / window manager, default 30
set -u
. "$(dirname "$0")/lib.sh"

if [ "$#" -eq 0 ]; then
    echo "usage: $0 CMD [ARGS...]" >&2
    exit 2
fi

geometry=${WITH_DESKTOP_GEOMETRY:-1024x768x24}
timeout=${WITH_DESKTOP_TIMEOUT:-30}
workdir=$(mktemp -d "${TMPDIR:-/tmp}/with-desktop.XXXXXX") || exit 1
xvfb_pid=""
wm_pid=""

cleanup() {
    # Only the processes this script started, by their id.
    if [ -n "$wm_pid" ]; then
        kill "$wm_pid" 2>/dev/null
        wait "$wm_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
    rm -rf "$workdir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

# The X server picks a free display itself and writes its number once it
# accepts connections, so two runs at the same time never collide.
Xvfb -displayfd 5 -screen 0 "$geometry" -nolisten tcp -noreset \
    5>"$workdir/display" >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!

if ! wait_until "$timeout" '[ -s "$workdir/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null'; then
    echo "with-desktop: Xvfb did not start within ${timeout}s" >&2
    cat "$workdir/xvfb.log" >&2
    exit 1
fi
if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "with-desktop: Xvfb failed" >&2
    cat "$workdir/xvfb.log" >&2
    xvfb_pid=""
    exit 1
fi
DISPLAY=":$(head -n 1 "$workdir/display")"
export DISPLAY

# A private IceWM configuration: the task bar with task buttons and the
# notification area, nothing that polls the machine or talks to the network.
mkdir -p "$workdir/icewm"
cat >"$workdir/icewm/preferences" <<'PREFS'
ShowTaskBar=1
TaskBarShowTray=1
TaskBarEnableSystemTray=1
TaskBarShowWindows=1
TaskBarShowClock=0
TaskBarShowAPMStatus=0
TaskBarShowAPMAuto=0
TaskBarShowCPUStatus=0
TaskBarShowMEMStatus=0
TaskBarShowNetStatus=0
TaskBarShowMailboxStatus=0
TaskBarShowWorkspaces=0
TaskBarAutoHide=0
ShowSettingsMenu=0
ShowHelp=0
FocusRequestFlashTime=0
PREFS
: >"$workdir/icewm/startup"
ICEWM_PRIVCFG="$workdir/icewm"
export ICEWM_PRIVCFG

icewm --replace >"$workdir/icewm.log" 2>&1 &
wm_pid=$!

# The window manager is up when it has announced itself on the root window
# and owns the notification area's selection (its tray window exists).
wm_ready() {
    kill -0 "$wm_pid" 2>/dev/null || return 1
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' || return 1
    xwininfo -root -tree 2>/dev/null | grep -q '"SystemTray"' || return 1
    return 0
}
if ! wait_until "$timeout" wm_ready; then
    echo "with-desktop: IceWM did not come up within ${timeout}s" >&2
    cat "$workdir/icewm.log" >&2
    exit 1
fi

XDG_RUNTIME_DIR="$workdir/run"
mkdir -m 700 "$XDG_RUNTIME_DIR" || exit 1
export XDG_RUNTIME_DIR

"$@"
status=$?
exit "$status"

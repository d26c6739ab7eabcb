#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package from an already configured build folder, unpacks
# it into a scratch root and runs the installed program there the way a user
# would: as an ordinary user ("nobody") with a scratch HOME, on a virtual
# desktop, against the demo signal service. Checks that the settings and logs
# appear in the per-user folders, that nothing is written into the program
# folder, that bad input gets a message and loses nothing; validates the
# desktop entry and the AppStream metadata and runs lintian.
#
# Usage: tools/check-package.sh [BUILD_DIR]   (default: build/)
# The package holds only our files; Qt and the other libraries come from the
# system, as they would for the installed package.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" != "--inside" ]; then
    BUILD=$(cd "${1:-$ROOT/build}" && pwd)
    cmake --build "$BUILD" --target quorvane_package_inputs >/dev/null
    (cd "$BUILD" && cpack -G DEB >/dev/null)
    deb=$(ls "$BUILD"/quorvane_*_amd64.deb)
    exec sh "$ROOT/tests/e2e/with-desktop.sh" sh "$0" --inside "$deb"
fi

# ---- on the virtual desktop --------------------------------------------------
deb=$2
. "$ROOT/tests/e2e/lib.sh"
fail() { echo "check-package: $*" >&2; exit 1; }
# As root (CI) the checks run as "nobody"; anyone else runs them as themselves.
# drop CMD... replaces the calling shell: call it in a subshell or in the
# background, so that $! is the program itself and a signal reaches it.
if [ "$(id -u)" -eq 0 ]; then
    user=nobody
    drop() { exec setpriv --reuid="$user" --regid="$(id -gn "$user")" --clear-groups "$@"; }
else
    user=$(id -un)
    drop() { exec "$@"; }
fi

scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-package.XXXXXX")
service=""
app=""
cleanup() {
    if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then kill "$app" 2>/dev/null || true; fi
    if [ -n "$service" ]; then sh "$ROOT/sim/stop.sh" "$service" >/dev/null 2>&1 || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
# The checks that run as the ordinary user start in its reach: the checkout may
# lie in a folder only root may enter (a clone into mktemp -d, for instance).
cd "$scratch"
root="$scratch/root"
home="$scratch/home"
dpkg -x "$deb" "$root"
mkdir -p "$home" "$scratch/run"
chmod 700 "$scratch/run"
chown "$user" "$home" "$scratch/run"
prog="$root/usr/lib/quorvane"
# Installed, the program folder belongs to root; unpacked by an ordinary user
# it belongs to that user, who must not be able to write it either.
[ "$(id -u)" -eq 0 ] || chmod a-w "$prog"

# ---- what the package holds ---------------------------------------------------
for f in quorvane quorvane-signal quorvane-bridge quorvane-components Quorvane.mq4 Quorvane.mq5 QuorvaneSignal.mqh \
    QuorvaneTrade4.mqh QuorvaneTrade5.mqh open.wav; do
    [ -f "$prog/$f" ] || fail "$f is not in /usr/lib/quorvane"
done
for f in quorvane quorvane-signal quorvane-bridge quorvane-components; do
    [ "$(readlink "$root/usr/bin/$f")" = "../lib/quorvane/$f" ] || fail "/usr/bin/$f is not a link to the program folder"
done
desktop-file-validate "$root/usr/share/applications/example.quorvane.Quorvane.desktop" \
    || fail "the desktop entry does not validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.quorvane.Quorvane.metainfo.xml" >"$scratch/appstream.log" \
    || { cat "$scratch/appstream.log" >&2; fail "the AppStream metadata does not validate"; }
for size in 16 22 24 32 48 64 128 256; do
    [ -f "$root/usr/share/icons/hicolor/${size}x${size}/apps/example.quorvane.Quorvane.png" ] || fail "no ${size}px icon"
done
# The bridge's user unit, as systemd reads it, with ExecStart at the unpacked
# program and its manual page found in the package.
unit="$root/usr/lib/systemd/user/quorvane-bridge.service"
[ -f "$unit" ] || fail "quorvane-bridge.service is not in /usr/lib/systemd/user"
[ -f "$root/usr/share/man/man1/quorvane-bridge.1.gz" ] || fail "no manual page for quorvane-bridge"
sh "$ROOT/tests/app/bridge/verify-unit.sh" "$unit" "$prog/quorvane-bridge" >/dev/null || fail "systemd-analyze does not accept the bridge's unit"
dpkg-deb -f "$deb" Depends | grep -q 'libsystemd0' || fail "the package does not depend on libsystemd0"
cp "$deb" "$scratch/"
# lintian does not want to run as root; errors fail the check, warnings are shown.
(drop env HOME="$home" TMPDIR="$scratch/run" lintian --fail-on error "$scratch/$(basename "$deb")") || fail "lintian reports errors"

# ---- the installed program as an ordinary user ---------------------------------
snapshot() { (cd "$root" && find . -printf '%p %M %s %T@\n' | sort); }
snapshot >"$scratch/before"

# as_user VAR=VALUE... CMD...: drop with a clean environment, only what a
# session has.
as_user() {
    drop env -i HOME="$home" DISPLAY="$DISPLAY" XDG_RUNTIME_DIR="$scratch/run" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

main_window() { xdotool search --onlyvisible --name "Quorvane 2.0" 2>/dev/null | head -n 1; }
message_box() { xdotool search --onlyvisible --name "^Quorvane$" 2>/dev/null | head -n 1; }

# start_program LOG VAR=VALUE...: the program through its /usr/bin link.
start_program() {
    log=$1
    shift
    as_user "$@" "$root/usr/bin/quorvane" >"$log" 2>&1 &
    app=$!
}

# stop_program: a termination request, as the session's end sends it.
stop_program() {
    kill -TERM "$app"
    rc=0
    wait "$app" || rc=$?
    app=""
    [ "$rc" -eq 0 ] || fail "the program ended with $rc"
}

wait_for_window() {
    wait_until 30 '[ -n "$(main_window)" ] || ! kill -0 "$app" 2>/dev/null' || fail "the main window did not appear"
    kill -0 "$app" 2>/dev/null || fail "the program ended early: $(cat "$1")"
}

config="$home/.config/quorvane"
state="$home/.local/state/quorvane"

(as_user "$root/usr/bin/quorvane-signal" --help) >"$scratch/help.txt"
grep -q "^Settings file: $config/quorvane.INI\$" "$scratch/help.txt" || fail "--help names another settings file: $(cat "$scratch/help.txt")"
grep -q "^Error log: *$state/error_log.txt\$" "$scratch/help.txt" || fail "--help names another error log"
grep -q "^History: $home/.local/share/quorvane/history.sqlite\$" "$scratch/help.txt" || fail "--help names another history file"

# Run 1, first start: no per-user folders yet; the program makes them.
start_program "$scratch/run1.log"
wait_for_window "$scratch/run1.log"
[ -d "$config" ] && [ -d "$state" ] || fail "the per-user folders were not created at start"
stop_program
[ -f "$config/quorvane.INI" ] || fail "no settings file in $config"
grep -q '^MaxS=25' "$config/quorvane.INI" || fail "the settings were not written"
[ -f "$config/log.txt" ] || fail "no log.txt in $config"
[ "$(stat -c %a "$config")" = 700 ] || fail "$config is not private"

# Run 2: a service that does not answer: the error log goes to the state folder.
closed=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')
printf '[Service]\r\nUrl=http://127.0.0.1:%s/webservice/server.php\r\n' "$closed" >>"$config/quorvane.INI"
start_program "$scratch/run2.log"
wait_for_window "$scratch/run2.log"
stop_program
[ -s "$state/error_log.txt" ] || fail "a failed poll left no line in $state/error_log.txt"
[ ! -e "$config/error_log.txt" ] || fail "error_log.txt went to the config folder"

# Run 3: against the demo service: polls succeed, the error log does not grow.
started=$(sh "$ROOT/sim/start.sh")
url=$(printf '%s\n' "$started" | sed -n 1p)
service=$(printf '%s\n' "$started" | sed -n 2p)
sed -i "s|^Url=.*|Url=$url|" "$config/quorvane.INI"
lines=$(wc -l <"$state/error_log.txt")
start_program "$scratch/run3.log"
wait_for_window "$scratch/run3.log"
# The window carries the application icon, the drawn small sizes included
# (the X11 platform leaves out sizes above 128).
xprop -id "$(main_window)" _NET_WM_ICON >"$scratch/icon.txt"
for size in 16 32 48 128; do
    grep -q "Icon ($size x $size)" "$scratch/icon.txt" || fail "the window has no ${size}px icon"
done
stop_program
port=${url#http://127.0.0.1:}
port=${port%%/*}
grep -q 'POST /webservice/server.php' "${TMPDIR:-/tmp}/quorvane-sim-$port.log" || fail "the program never called the demo service"
[ "$(wc -l <"$state/error_log.txt")" -eq "$lines" ] || fail "a poll against the demo service failed: $(tail -n 1 "$state/error_log.txt")"
grep -q "^Url=$url" "$config/quorvane.INI" || fail "the service address was lost"

# The bridge, as an ordinary user without a desktop, with the window's settings.
# bridge ARGS...: through its /usr/bin link, no DISPLAY.
bridge() {
    drop env -i HOME="$home" XDG_RUNTIME_DIR="$scratch/run" PATH=/usr/bin:/bin LANG=C.UTF-8 "$root/usr/bin/quorvane-bridge" "$@"
}
(bridge --help) >"$scratch/bridge-help.txt" || fail "quorvane-bridge --help failed"
grep -q "^Settings file: $config/quorvane.INI\$" "$scratch/bridge-help.txt" || fail "the bridge reads another settings file: $(cat "$scratch/bridge-help.txt")"
rc=0
(bridge --once) 2>"$scratch/bridge0.log" || rc=$?
[ "$rc" -eq 2 ] || fail "without a terminal folder the bridge ended with $rc, not 2"
grep -q "no terminal folder is set" "$scratch/bridge0.log" || fail "unclear message: $(cat "$scratch/bridge0.log")"
mkdir -p "$scratch/mt4/experts/files"
chown -R "$user" "$scratch/mt4"
sed -i "s|^mt4-path=.*|mt4-path=$scratch/mt4|" "$config/quorvane.INI"
settings_before=$(cat "$config/quorvane.INI")
(bridge --once) 2>"$scratch/bridge1.log" || fail "quorvane-bridge --once failed: $(cat "$scratch/bridge1.log")"
[ -s "$scratch/mt4/experts/files/EURUSD" ] || fail "quorvane-bridge --once wrote no EURUSD signal file"
rm "$scratch/mt4/experts/files/EURUSD"
(bridge) 2>"$scratch/bridge2.log" &
bridge_pid=$!
wait_until 30 '[ -s "$scratch/mt4/experts/files/EURUSD" ] || ! kill -0 "$bridge_pid" 2>/dev/null' \
    || fail "the bridge wrote no signal file: $(cat "$scratch/bridge2.log")"
kill -TERM "$bridge_pid"
rc=0
wait "$bridge_pid" || rc=$?
[ "$rc" -eq 0 ] || fail "the bridge ended with $rc at SIGTERM: $(cat "$scratch/bridge2.log")"
[ ! -e "$scratch/mt4/experts/files/EURUSD" ] || fail "the bridge left EURUSD's signal file at its end"
[ -s "$scratch/mt4/experts/files/GBPUSD" ] || fail "the bridge removed more than EURUSD's signal file"
[ "$(cat "$config/quorvane.INI")" = "$settings_before" ] || fail "the bridge changed the settings file"
[ "$(wc -l <"$state/error_log.txt")" -eq "$lines" ] || fail "a bridge poll failed: $(tail -n 1 "$state/error_log.txt")"

snapshot >"$scratch/after"
cmp -s "$scratch/before" "$scratch/after" \
    || { diff "$scratch/before" "$scratch/after" >&2; fail "the program wrote into its own folder"; }

# Run 4, bad input: XDG_CONFIG_HOME names a file. A message, no crash, the
# file untouched; a second message at exit says what could not be saved.
printf 'not a folder\n' >"$home/afile"
chown "$user" "$home/afile"
start_program "$scratch/run4.log" XDG_CONFIG_HOME="$home/afile"
wait_until 30 '[ -n "$(message_box)" ] || ! kill -0 "$app" 2>/dev/null' || fail "no message for an XDG_CONFIG_HOME that is a file"
grep -q "cannot create the folder $home/afile/quorvane/ for its files: $home/afile is not a folder" "$scratch/run4.log" \
    || fail "unclear message: $(cat "$scratch/run4.log")"
xdotool windowactivate --sync "$(message_box)" key --clearmodifiers Return
wait_for_window "$scratch/run4.log"
kill -TERM "$app"
wait_until 30 '[ -n "$(message_box)" ] || ! kill -0 "$app" 2>/dev/null' || true
box=$(message_box)
[ -z "$box" ] || xdotool windowactivate --sync "$box" key --clearmodifiers Return
rc=0
wait "$app" || rc=$?
app=""
[ "$rc" -eq 0 ] || fail "with a bad XDG_CONFIG_HOME the program ended with $rc"
[ "$(cat "$home/afile")" = "not a folder" ] || fail "the file named by XDG_CONFIG_HOME was changed"
grep -q "^Url=$url" "$config/quorvane.INI" || fail "the settings of the earlier runs were touched"

echo "check-package: $(basename "$deb") passed"

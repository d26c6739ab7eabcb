#!/bin/sh
# SPDX-License-Identifier: MIT
# Stops a demo signal service started by sim/start.sh.
# Usage: sim/stop.sh PID
set -eu
[ $# -eq 1 ] || { echo "usage: stop.sh PID" >&2; exit 2; }
pid=$1
case "$pid" in *[!0-9]*|'') echo "stop.sh: not a PID: $pid" >&2; exit 2 ;; esac
# Only stop what start.sh started: a PHP built-in server.
if ! tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null | grep -q '^php -S '; then
    echo "stop.sh: $pid is not a running demo service" >&2
    exit 1
fi
port=$(tr '\0' ' ' <"/proc/$pid/cmdline" | sed -n 's/^php -S [^ ]*:\([0-9]*\) .*/\1/p')
kill "$pid"
tries=50
while kill -0 "$pid" 2>/dev/null && [ "$tries" -gt 0 ]; do
    tries=$((tries - 1))
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then kill -9 "$pid"; fi
# The walk state and the server log of that port go with the server.
if [ -n "$port" ]; then
    rm -f "${TMPDIR:-/tmp}/quorvane-sim-$port.log" "$(php -r 'echo sys_get_temp_dir();')/quorvane-sim-$port.json"
fi
exit 0

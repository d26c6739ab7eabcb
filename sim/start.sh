#!/bin/sh
# SPDX-License-Identifier: MIT
# Starts the demo signal service in the background on a loopback port.
# Usage: sim/start.sh [PORT]   (no PORT: a free one is picked)
# Prints two lines: the endpoint URL, then the server's PID (for sim/stop.sh).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
docroot="$here/docroot"
command -v php >/dev/null 2>&1 || { echo "start.sh: php not found" >&2; exit 1; }

free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}

attempts=1
[ $# -ge 1 ] || attempts=5
while [ "$attempts" -gt 0 ]; do
    attempts=$((attempts - 1))
    port=${1:-$(free_port)}
    url="http://127.0.0.1:$port/webservice/server.php"
    log="${TMPDIR:-/tmp}/quorvane-sim-$port.log"
    # Output goes to a file: a caller reading our stdout must not wait for
    # the server to close it.
    php -S "127.0.0.1:$port" -t "$docroot" >"$log" 2>&1 </dev/null &
    pid=$!
    tries=100
    while [ "$tries" -gt 0 ]; do
        if ! kill -0 "$pid" 2>/dev/null; then
            break
        fi
        if curl -sf -o /dev/null --max-time 1 "$url?wsdl"; then
            echo "$url"
            echo "$pid"
            exit 0
        fi
        tries=$((tries - 1))
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    # Another process may have taken the port in between: try a new one.
done
echo "start.sh: the demo service did not start (see ${log})" >&2
exit 1

#!/bin/sh
# SPDX-License-Identifier: MIT
# Installs what is missing, builds Quorvane, starts the bundled demo signal
# service on loopback and runs the program against it.
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/tools/install-deps.sh"
cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$ROOT/build" -j "$(nproc)"
exec "$ROOT/tools/run-demo.sh" "$ROOT/build/bin"

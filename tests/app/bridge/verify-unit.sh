#!/bin/sh
# SPDX-License-Identifier: MIT
# systemd-analyze verify on the bridge's user unit, its ExecStart pointed at
# PROGRAM; any warning fails, as an error does. No bus is needed: the check
# reads the unit and the program only, in a runtime folder of its own.
# Usage: verify-unit.sh UNIT PROGRAM
set -eu
unit=$1
program=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/quorvane-unit.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/run"
sed "s|^ExecStart=/usr/bin/quorvane-bridge|ExecStart=$program|" "$unit" >"$scratch/quorvane-bridge.service"
grep -q "^ExecStart=$program\$" "$scratch/quorvane-bridge.service" || { echo "no ExecStart=/usr/bin/quorvane-bridge in $unit" >&2; exit 1; }
# The manual page is not installed here; the package check looks for it.
XDG_RUNTIME_DIR="$scratch/run" systemd-analyze verify --user --man=no "$scratch/quorvane-bridge.service" >"$scratch/out" 2>&1 || {
    cat "$scratch/out" >&2
    exit 1
}
if [ -s "$scratch/out" ]; then
    cat "$scratch/out" >&2
    echo "verify-unit: systemd-analyze warns about the unit" >&2
    exit 1
fi
echo "verify-unit: $(basename "$unit") accepted"

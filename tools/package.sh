#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the Debian package build/quorvane_<version>_amd64.deb: the programs,
# the expert advisor and the chime in /usr/lib/quorvane/ with links in
# /usr/bin, the desktop entry, the icon and the AppStream metadata.
# Install it with: apt install ./build/quorvane_<version>_amd64.deb
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/tools/install-deps.sh"

cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
# Only what ships; the tests and benchmarks are not needed for the package.
cmake --build "$ROOT/build" -j "$(nproc)" --target quorvane_package_inputs
(cd "$ROOT/build" && cpack -G DEB)
ls "$ROOT"/build/quorvane_*_amd64.deb

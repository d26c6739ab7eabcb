#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds Quorvane and runs the whole test suite: the normal build, its Debian
# package checked as installed, about a minute of fuzzing, then the same suite
# under AddressSanitizer and UndefinedBehaviorSanitizer (its CTest summary
# closes the output).
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/tools/install-deps.sh"
JOBS=$(nproc)

cmake -S "$ROOT" -B "$ROOT/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUORVANE_WERROR=ON
cmake --build "$ROOT/build" -j "$JOBS"
ctest --test-dir "$ROOT/build" --output-on-failure -j "$JOBS" --timeout 300

# The Debian package, unpacked and run as an ordinary user (a minute or less).
if [ "${QUORVANE_SKIP_PACKAGE:-0}" != 1 ]; then
    sh "$ROOT/tools/check-package.sh" "$ROOT/build"
fi

# Bounded fuzzing of the reply, settings and response parsers (about a minute).
if [ "${QUORVANE_SKIP_FUZZ:-0}" != 1 ]; then
    sh "$ROOT/tools/fuzz.sh"
fi

if [ "${QUORVANE_SKIP_SANITIZE:-0}" != 1 ]; then
    cmake -S "$ROOT" -B "$ROOT/build-asan" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DQUORVANE_WERROR=ON -DQUORVANE_SANITIZE=ON -DQUORVANE_BUILD_BENCH=OFF
    cmake --build "$ROOT/build-asan" -j "$JOBS"
    ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir "$ROOT/build-asan" --output-on-failure -j "$JOBS" --timeout 600 -LE e2e
fi

#!/bin/sh
# SPDX-License-Identifier: MIT
# Builds the libFuzzer targets with clang (ASan + UBSan + coverage) in
# build-fuzz and runs each for a bounded time from its seed corpus. Fails on
# any crash, hang, broken invariant or sanitizer report; the input that did
# it is left in build-fuzz/findings/<target>/ for a regression test.
#   FUZZ_SECONDS   time per target (default 20)
set -eu
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD="$ROOT/build-fuzz"
SECONDS_EACH=${FUZZ_SECONDS:-20}
TARGETS="records inifile decoder"

CC=clang CXX=clang++ cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVANE_FUZZ=ON -DQUORVANE_BUILD_TESTS=OFF -DQUORVANE_BUILD_BENCH=OFF >/dev/null
ninja -C "$BUILD" $(for t in $TARGETS; do printf 'fuzz_%s ' "$t"; done)

# The settings-file target writes a file per input; on tmpfs its fsync is free.
SCRATCH=$(mktemp -d "$( [ -w /dev/shm ] && echo /dev/shm || echo "${TMPDIR:-/tmp}")/quorvane-fuzz.XXXXXX")
trap 'rm -rf "$SCRATCH"' EXIT
export TMPDIR="$SCRATCH"

status=0
for t in $TARGETS; do
    work="$BUILD/corpus/$t"
    findings="$BUILD/findings/$t"
    # The scratch corpus is kept between runs, so each run goes deeper.
    rm -rf "$findings"
    mkdir -p "$work" "$findings"
    dict=""
    [ -f "$ROOT/tests/fuzz/$t.dict" ] && dict="-dict=$ROOT/tests/fuzz/$t.dict"
    echo "== fuzz_$t for ${SECONDS_EACH}s"
    # New inputs go to a scratch corpus so the repository's seeds stay small.
    # shellcheck disable=SC2086
    if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "$BUILD/bin/fuzz_$t" -max_total_time="$SECONDS_EACH" -timeout=5 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/" $dict \
            "$work" "$ROOT/tests/fuzz/corpus/$t" 2>"$BUILD/fuzz_$t.log"; then
        echo "fuzz_$t FAILED; last lines of $BUILD/fuzz_$t.log:"
        tail -n 40 "$BUILD/fuzz_$t.log"
        ls -l "$findings"
        status=1
    else
        grep -E '^stat::(number_of_executed_units|new_units_added)' "$BUILD/fuzz_$t.log" || true
    fi
done
exit $status

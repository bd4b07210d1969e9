#!/usr/bin/env bash
# Runs every benchmark of a build tree and prints its results; never part of the tests.
#   bench/run.sh [BUILD_DIR]     (default build/, configured and built by scripts/build.sh)
# A benchmark is a program bin/bench_* built from a folder of bench/; each prints one line
# per measurement and exits non-zero when it misses its target.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
if [ ! -d "$build/bin" ]; then
    echo "bench/run.sh: no build in $build (run scripts/build.sh release first)" >&2
    exit 2
fi
status=0
found=0
for program in "$build"/bin/bench_*; do
    [ -x "$program" ] || continue
    found=1
    echo "== $(basename "$program")"
    "$program" || status=1
done
if [ "$found" -eq 0 ]; then
    echo "bench/run.sh: no benchmarks in $build/bin" >&2
    exit 2
fi
exit $status

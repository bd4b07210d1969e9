#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh [release|sanitize]
# release  -> build/         (g++, RelWithDebInfo)
# sanitize -> build-sanitize/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer, fuzzers)
set -euo pipefail
cd "$(dirname "$0")/.."

kind="${1:-release}"
case "$kind" in
    release)
        dir=build
        args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++)
        ;;
    sanitize)
        dir=build-sanitize
        args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
              -DLUMBROOK_SANITIZE=ON -DLUMBROOK_FUZZ=ON)
        ;;
    *)
        echo "usage: scripts/build.sh [release|sanitize]" >&2
        exit 2
        ;;
esac

# The project's own builds treat warnings as errors and build the benchmarks too.
cmake -S . -B "$dir" -G Ninja -DLUMBROOK_WERROR=ON -DLUMBROOK_BENCH=ON "${args[@]}" >/dev/null
cmake --build "$dir" -- -j"$(nproc)"

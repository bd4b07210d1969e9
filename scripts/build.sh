#!/usr/bin/env bash
# Configures and builds one build tree.
#   scripts/build.sh [release|sanitize|demo]
# release  -> build/         (g++, RelWithDebInfo), with the tests and benchmarks
# sanitize -> build-sanitize/ (clang, AddressSanitizer + UndefinedBehaviorSanitizer, fuzzers)
# demo     -> build/         (g++, RelWithDebInfo), only the program and the libraries it loads
set -euo pipefail
cd "$(dirname "$0")/.."

kind="${1:-release}"
case "$kind" in
    release)
        dir=build
        args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
              -DLUMBROOK_TESTS=ON -DLUMBROOK_BENCH=ON)
        targets=()
        ;;
    demo)
        dir=build
        args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
              -DLUMBROOK_TESTS=OFF -DLUMBROOK_BENCH=OFF)
        targets=(--target lumbrook)  # and through it the libraries it loads
        ;;
    sanitize)
        dir=build-sanitize
        args=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
              -DLUMBROOK_SANITIZE=ON -DLUMBROOK_FUZZ=ON -DLUMBROOK_TESTS=ON -DLUMBROOK_BENCH=ON)
        targets=()
        ;;
    *)
        echo "usage: scripts/build.sh [release|sanitize|demo]" >&2
        exit 2
        ;;
esac

# The project's own builds treat warnings as errors.
cmake -S . -B "$dir" -G Ninja -DLUMBROOK_WERROR=ON "${args[@]}" >/dev/null
cmake --build "$dir" "${targets[@]}" -- -j"$(nproc)"

#!/usr/bin/env bash
# Configures and builds the libFuzzer targets in their own clang build directory (default
# build-fuzz/ beside the sources); the whole tree is instrumented for coverage and checked
# with AddressSanitizer and UndefinedBehaviorSanitizer. Rebuilds only what changed.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$src/build-fuzz}"
jobs="${JOBS:-2}"
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"

echo "== fuzz build ($dir)"
CC=clang CXX=clang++ cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Debug \
    -DLINTRA_BUILD_FUZZ=ON -DLINTRA_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$dir" -j "$jobs" --target fuzz_targets

#!/usr/bin/env bash
# Configures and builds the whole tree with AddressSanitizer (LeakSanitizer included) and
# UndefinedBehaviorSanitizer, aborting on the first report, in its own directory (default
# build-asan/ beside the sources). Tests that build further copies of the tree are left out
# (LINTRA_NESTED_BUILDS=OFF). Rebuilds only what changed.
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$src/build-asan}"
jobs="${JOBS:-2}"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all"

echo "== sanitizer build ($dir)"
cmake -S "$src" -B "$dir" -DCMAKE_BUILD_TYPE=Debug -DLINTRA_NESTED_BUILDS=OFF \
    -DCMAKE_C_FLAGS="-O1 -fno-omit-frame-pointer $sanitize" \
    -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer $sanitize" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize" \
    -DCMAKE_MODULE_LINKER_FLAGS="$sanitize" >/dev/null
cmake --build "$dir" -j "$jobs"

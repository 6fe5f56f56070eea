#!/usr/bin/env bash
# Configures and builds one of the module's cross builds beside build/:
#   win32    build-win32/host/Lintra.vdf      (the module users install; mingw-w64 i686)
#   win64    build-win64/host/Lintra.vdf and lintra_test_host.exe (run under Wine)
#   linux32  build-linux32/host/lintra_module.so and lintra_test_host (run under qemu-i386)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
name="${1:?usage: build_cross.sh win32|win64|linux32}"

case "$name" in
    win32) toolchain=toolchain-mingw-i686.cmake; host_tool=OFF ;;
    win64) toolchain=toolchain-mingw-x86_64.cmake; host_tool=ON ;;
    linux32) toolchain=toolchain-linux-i686.cmake; host_tool=ON ;;
    *) echo "build_cross: unknown build '$name'" >&2; exit 2 ;;
esac

dir="$root/build-$name"
targets=(lintra_module)
[ "$host_tool" = ON ] && targets+=(lintra_test_host)

echo "== build_cross: $name -> $dir"
mkdir -p "$dir"
cmake -S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain" \
    -DLINTRA_BUILD_TESTS=OFF -DLINTRA_BUILD_CLI=OFF -DLINTRA_BUILD_TEST_HOST="$host_tool" \
    >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log"; exit 1; }
cmake --build "$dir" -j 2 --target "${targets[@]}"

#!/usr/bin/env bash
# Opens the real settings dialog under Wine in a virtual display (64-bit Windows build) and
# saves a picture of it as out/dialog.png.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win64"
prefix="$build/wine-prefix"
"$root/scripts/build_cross.sh" win64
"$root/scripts/wine_test_host.sh" init "$prefix"
mkdir -p "$root/out"
"$root/scripts/wine_test_host.sh" run "$prefix" "$build" --dialog --screenshot dialog.bmp
convert "$build/host/dialog.bmp" "$root/out/dialog.png"
echo "== dialog picture: $root/out/dialog.png"

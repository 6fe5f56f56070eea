#!/usr/bin/env bash
# make release: the Windows download out/Lintra-<version>-windows-x86.zip (Lintra.vdf from
# build-win32/, README.txt, the dialog picture, LICENSE.txt) with its .sha256 beside it, then
# the zip checked as a user would get it.
#   build_release.sh [OUT_DIR]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/out}"
"$root/scripts/build_windows.sh"
# The dialog picture needs the 64-bit build and Wine: made once, then taken as it is.
[ -f "$root/out/dialog.png" ] || "$root/scripts/screenshot.sh"
"$root/scripts/make_release_zip.sh" "$root/build-win32/host/Lintra.vdf" "$root/out/dialog.png" "$out"
version="$("$root/scripts/project_version.sh")"
"$root/tests/packaging/check_release_zip.sh" "$out/Lintra-$version-windows-x86.zip" "$version" \
    with-picture

#!/usr/bin/env bash
# The Windows download packed from the cross build in build-win32/ (without the dialog
# picture, which needs Wine) and checked as make release checks it.
#   release_test.sh VERSION
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$root/scripts/make_release_zip.sh" "$root/build-win32/host/Lintra.vdf" "" "$out"
"$root/tests/packaging/check_release_zip.sh" "$out/Lintra-$1-windows-x86.zip" "$1" without-picture

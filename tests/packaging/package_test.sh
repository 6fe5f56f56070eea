#!/usr/bin/env bash
# make package into a scratch folder, then the package checked as check_package.sh does.
#   package_test.sh VERSION
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$root/scripts/build_package.sh" "$out"
"$root/tests/packaging/check_package.sh" "$out/lintra_${1}_$(dpkg --print-architecture).deb" "$1" \
    "$root/build-package/packaging/package_components.txt"

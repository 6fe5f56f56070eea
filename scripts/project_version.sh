#!/usr/bin/env bash
# Prints the project's version as project() in CMakeLists.txt states it, for scripts that run
# outside a configured build.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
version=$(sed -n 's/^project(Lintra VERSION \([0-9][0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "project_version: no version in CMakeLists.txt" >&2; exit 1; }
echo "$version"

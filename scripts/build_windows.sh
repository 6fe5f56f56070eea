#!/usr/bin/env bash
# Cross-builds Lintra.vdf, the 32-bit Windows module, checks its exports and imports and its
# version resource, and prints where it is.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/build_cross.sh" win32
vdf="$root/build-win32/host/Lintra.vdf"
"$root/scripts/check_vdf.sh" "$vdf"
"$root/scripts/check_vdf_version.sh" "$vdf" "$("$root/scripts/project_version.sh")"
echo "== Lintra.vdf: $vdf"
echo "   copy it into the host's plug-in folder (see README.md, \"The Windows module\")"

#!/usr/bin/env bash
# make compare: Lintra beside the dot-crawl and rainbow filters users would pick instead, on
# composite material made for the purpose (see README, "Lintra beside other filters").
# Installs what it needs (the project's dependencies, then the comparison's PyPI packages into
# .venv, each only when missing), builds lintra and the VapourSynth plug-in, and writes
# results.json, tables.md and contact_sheet.png into OUT (default build/compare).
# COMPARE_ARGS passes options to run_compare.py, e.g. a quick look at part of the material:
#   COMPARE_ARGS="--scenes chart-a --groups ntsc-woven" scripts/compare.sh /tmp/quick
set -euo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
build="$(realpath -m "${BUILD:-$src/build}")"
out="$(realpath -m "${1:-$build/compare}")"
venv="$src/.venv"

"$src/scripts/install_deps.sh"
[ -x "$venv/bin/python" ] || { echo "compare: needs .venv with VapourSynth (Python 3.12 or later)"; exit 1; }

packages=(vapoursynth-composite==2 vapoursynth-dedot==4.0 vapoursynth-dotkill==4.0
          vapoursynth-decross==3 vapoursynth-bifrost==4.0 scikit-image==0.26.0)
missing=()
for p in "${packages[@]}"; do
    if ! "$venv/bin/python" -c "
import sys
from importlib.metadata import version, PackageNotFoundError
name, want = sys.argv[1].split('==')
try:
    sys.exit(version(name) != want)
except PackageNotFoundError:
    sys.exit(1)" "$p" 2>/dev/null; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "compare: ${#packages[@]} PyPI packages present in .venv"
else
    echo "compare: installing ${missing[*]} into .venv"
    "$venv/bin/python" -m pip install -q --disable-pip-version-check "${missing[@]}"
fi

echo "== build lintra and the VapourSynth plug-in ($build)"
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" -j "$(nproc)" --target lintra lintra_vapoursynth
echo "== compare (a few minutes on two cores)"
cd "$src/scripts/compare"
# shellcheck disable=SC2086
"$venv/bin/python" run_compare.py "$out" --lintra "$build/cli/lintra" \
    --plugin "$build/vapoursynth/lintra_vapoursynth.so" ${COMPARE_ARGS:-}

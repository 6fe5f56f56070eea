#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: does nothing when all are present.
#   install_deps.sh run   only what building and running the lintra command needs (make run)
#   install_deps.sh       everything every build and test needs
set -euo pipefail

packages=(build-essential cmake make pkg-config libpng-dev)
[ "${1:-}" = run ] || packages+=(
    git libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686
    g++-multilib qemu-user-static
    wine64 xvfb xauth imagemagick
    frei0r-plugins-dev ffmpeg
    melt gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly
    help2man man-db dpkg-dev lintian file zip unzip
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "$(id -u)" -eq 0 ]; then
    apt=(apt-get)
else
    apt=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing[@]} -eq 0 ]; then
    echo "install_deps: all ${#packages[@]} packages present"
else
    echo "install_deps: installing ${missing[*]}"
    "${apt[@]}" update -qq
    "${apt[@]}" install -y -qq "${missing[@]}"
fi

[ "${1:-}" = run ] && exit 0

# VapourSynth from PyPI in the checkout's .venv: the VapourSynth plug-in is built against its
# headers and tested inside it. The wheel needs Python 3.12 or later; without one the plug-in
# and its tests are skipped and everything else works as before.
# BestSource, a source filter, is there for the README's example script.
vapoursynth_version=81
bestsource_version=22
venv="$(cd "$(dirname "$0")/.." && pwd)/.venv"

find_python() {
    local p
    for p in "$HOME"/.pyenv/versions/3.1[2-9]*/bin/python3 /usr/bin/python3.1[2-9]; do
        if [ -x "$p" ]; then
            echo "$p"
            return 0
        fi
    done
    return 1
}

want="vapoursynth==$vapoursynth_version vapoursynth-bestsource==$bestsource_version"
if "$venv/bin/python" -c "
import sys, vapoursynth
from importlib.metadata import version
sys.exit(vapoursynth.__version__.release_major != $vapoursynth_version or version('vapoursynth-bestsource') != '$bestsource_version')" 2>/dev/null; then
    echo "install_deps: VapourSynth R$vapoursynth_version and BestSource $bestsource_version present in .venv"
    exit 0
fi
if ! python=$(find_python); then
    echo "install_deps: no Python 3.12 or later (~/.pyenv/versions/3.12+ or /usr/bin/python3.12+): the VapourSynth plug-in is not built"
    exit 0
fi
# Debian's own Pythons make virtual environments only with their venv package.
if ! "$python" -c "import ensurepip" 2>/dev/null && [ "${python#/usr/bin/}" != "$python" ]; then
    "${apt[@]}" install -y -qq "$(basename "$python")-venv"
fi
echo "install_deps: $want into .venv (with $python)"
if ! "$venv/bin/python" -c "import sys; sys.exit(sys.version_info < (3, 12))" 2>/dev/null; then
    rm -rf "$venv"
    "$python" -m venv "$venv"
fi
# shellcheck disable=SC2086
"$venv/bin/python" -m pip install -q --disable-pip-version-check $want

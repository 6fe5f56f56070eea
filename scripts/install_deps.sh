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

if [ ${#missing[@]} -eq 0 ]; then
    echo "install_deps: all ${#packages[@]} packages present"
    exit 0
fi

echo "install_deps: installing ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
    apt=(apt-get)
else
    apt=(sudo apt-get)
fi
export DEBIAN_FRONTEND=noninteractive
"${apt[@]}" update -qq
"${apt[@]}" install -y -qq "${missing[@]}"

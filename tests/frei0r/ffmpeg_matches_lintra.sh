#!/usr/bin/env bash
# ffmpeg with the frei0r plug-in gives, frame for frame, the colours lintra gives on the same
# raw frames, for every kind of setting, slider values, the command's options as text and every
# way of writing a settings line, and keeps the input's alpha.
#   ffmpeg_matches_lintra.sh LINTRA PLUGIN_DIR
set -euo pipefail
lintra=$1
export FREI0R_PATH=$2
. "$(dirname "$0")/ffmpeg_common.sh"

size=320x96
test_frames "$size" 4 "$work/in.bgra"
colour_bytes "$work/in.bgra" bgra "$size" "$work/in.bgr"
alpha_bytes "$work/in.bgra" "$size" "$work/in.alpha"

# name | frei0r parameters as typed after "frei0r=lintra:" | lintra options
cases=(
    "defaults||"
    "rgb||y|--rgb"
    "progressive||n|n|--progressive"
    "test-mode-yuv||n|y|y|--test-mode"
    "test-mode-rgb||y|y|y|--rgb --test-mode"
    "lengths-thresholds||n|y|n|0.16|0.08|0.05|0.30|--luma-length 16 --luma-threshold 8 --chroma-length 5 --chroma-threshold 30"
    "sliders-held||n|n|n|0|600|0.8|-2|--progressive --luma-length 1 --luma-threshold 511 --chroma-length 542 --chroma-threshold 0"
    "options|--luma-threshold 8 --chroma-threshold 30 --progressive|--luma-threshold 8 --chroma-threshold 30 --progressive"
    "options-win|--rgb --luma-length=16|n|y|y|0.5|--rgb --luma-length 16"
    "line-spaces|262153 2621470 1966092 256|--config 262153,2621470,1966092,256"
    "line-slashes|262153/2621470/1966092/16777216|--config 262153,2621470,1966092,16777216"
    "line-quoted|'Config(262153, 2621470, 1966092, 16842752)'|--config Config(262153,2621470,1966092,16842752)"
    "line-escaped-commas|Config(655363\\\\\\,327700\\\\\\,327700\\\\\\,65536)|--config 655363,327700,327700,65536"
    "line-wins|655363 327700 327700 0|y|y|y|1|1|1|1|--config 655363,327700,327700,0"
)

for c in "${cases[@]}"; do
    name=${c%%|*}
    rest=${c#*|}
    opts=${rest##*|}
    params=${rest%|*}
    filter=frei0r=lintra
    [ -n "$params" ] && filter="frei0r=lintra:$params"
    ff -f rawvideo -pix_fmt bgra -s "$size" -i "$work/in.bgra" -vf "$filter" \
        -f rawvideo -pix_fmt bgra -y "$work/ffmpeg.bgra" || fail "$name: ffmpeg -vf \"$filter\" failed"
    # shellcheck disable=SC2086
    "$lintra" $opts --size "$size" "$work/in.bgra" "$work/lintra.bgr0" || fail "$name: lintra $opts failed"
    colour_bytes "$work/ffmpeg.bgra" bgra "$size" "$work/ffmpeg.bgr"
    colour_bytes "$work/lintra.bgr0" bgr0 "$size" "$work/lintra.bgr"
    alpha_bytes "$work/ffmpeg.bgra" "$size" "$work/ffmpeg.alpha"
    cmp -s "$work/in.bgr" "$work/lintra.bgr" && fail "$name: the frames give the filter nothing to do"
    cmp "$work/ffmpeg.bgr" "$work/lintra.bgr" || fail "$name: -vf \"$filter\" differs from lintra $opts"
    cmp "$work/in.alpha" "$work/ffmpeg.alpha" || fail "$name: the plug-in did not keep the input's alpha"
    echo "ok: $name: -vf \"$filter\" == lintra $opts"
done

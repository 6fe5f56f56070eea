#!/usr/bin/env bash
# lintra video keeps what the input says about itself, with real ffmpeg on small clips made the
# way captures arrive:
# - untouched content (the filter finds nothing to do) comes back exactly: FFV1 output decodes
#   to the input's frames in the input's pixel format, with its range, colour tags, sample
#   aspect ratio and field order; with the default codec it is as close to the input, plane by
#   plane, as a plain ffmpeg encode with the same settings;
# - filtered content: where the filter changes pixels, the change is that of lintra's result on
#   the same RGB frames brought back to the input's format, within one 8-bit step, and the
#   pattern is taken out as lintra takes it out of the RGB frames.
#   lintra_video_formats_test.sh LINTRA PLANAR_FRAMES_TOOL
set -euo pipefail
lintra=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tool=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
. "$(dirname "$0")/video_test_common.sh"

# ffprobe's word on the video stream; a full-range "yuvj" format is its "yuv" one tagged full
# range (the tag is compared on its own), which is how encoders other than H.264's keep it.
stream() {
    ffprobe -v error -select_streams V:0 -show_entries "stream=$2" -of csv=p=0 "$1" |
        sed 's/yuvj4/yuv4/'
}
frame_flags() {
    ffprobe -v error -select_streams V:0 -read_intervals %+#1 \
        -show_entries frame=interlaced_frame,top_field_first -of csv=p=0 "$1" | head -n 1 | cut -d, -f1,2
}
hashes() { ff -i "$1" -map 0:v -fps_mode passthrough -pix_fmt "$2" -f framemd5 - | grep -v '^#' | cut -d, -f6; }
# PSNR of each plane of $1 against $2 in pixel format $3: "y u v".
psnr() {
    ffmpeg -nostdin -hide_banner -i "$1" -i "$2" \
        -lavfi "[0:v]format=$3[a];[1:v]format=$3[b];[a][b]psnr" -f null - 2>&1 |
        sed -n 's/.*PSNR y:\([^ ]*\) u:\([^ ]*\) v:\([^ ]*\).*/\1 \2 \3/p'
}
# Each plane's figure of $1 at most 0.5 dB below that of $2 (two infinities are equal).
close_enough() {
    local a=($1) b=($2) i
    for i in 0 1 2; do
        [ "${a[$i]}" = "${b[$i]}" ] && continue
        awk -v x="${a[$i]}" -v y="${b[$i]}" 'BEGIN { exit !(x >= y - 0.5) }' ||
            return 1
    done
}

# Columns of luma and chroma that do not change down the picture: nothing for the filter to do.
columns="lum='clip(16+mod(X*7,220),0,255)':cb='128+90*sin(X/23)':cr='128+90*cos(X/31)'"
columns10="lum='clip(64+mod(X*29,880),0,1023)':cb='512+360*sin(X/23)':cr='512+360*cos(X/31)'"
ff -f lavfi -i "nullsrc=s=1280x720:r=25:d=0.12,format=yuv420p,geq=$columns" \
    -c:v libx264 -qp 0 -color_primaries bt709 -color_trc bt709 -colorspace bt709 \
    -color_range tv hd709.mkv
ff -f lavfi -i "nullsrc=s=1280x720:r=25:d=0.12,format=yuvj420p,geq=$columns" \
    -c:v libx264 -qp 0 -color_primaries bt709 -color_trc bt709 -colorspace bt709 \
    -color_range pc hdfull.mkv
# ProRes takes its tags from the frames.
ff -f lavfi -i "nullsrc=s=720x576:r=25:d=0.12,format=yuv422p10le,geq=$columns10" \
    -vf "setsar=64/45,setparams=field_mode=tff:range=tv:color_primaries=bt470bg:color_trc=bt709:colorspace=bt470bg" \
    -c:v prores_ks -flags +ildct sd422.mov
ff -f lavfi -i "nullsrc=s=720x480:r=30000/1001:d=0.1,format=yuv411p,geq=$columns" \
    -vf setsar=10/11,setfield=bff -c:v dvvideo ntsc.avi
ff -f lavfi -i "nullsrc=s=256x16:r=25:d=0.12,format=yuv422p,geq=lum='X':cb=128:cr=128" \
    -c:v ffv1 -color_range tv -colorspace smpte170m ramp.mkv

check_round_trip() {
    local input=$1 pixfmt
    pixfmt=$(ffprobe -v error -select_streams V:0 -show_entries stream=pix_fmt -of csv=p=0 "$input")
    "$lintra" video "$input" "lossless-$input.mkv" --codec ffv1 2> err.txt ||
        fail "$input: $(cat err.txt)"
    [ "$(hashes "$input" "$pixfmt")" = "$(hashes "lossless-$input.mkv" "$pixfmt")" ] ||
        fail "$input: the FFV1 output's frames differ from the input's ($pixfmt)"
    local entries=pix_fmt,color_range,color_space,color_primaries,color_transfer,sample_aspect_ratio
    [ "$(stream "$input" $entries)" = "$(stream "lossless-$input.mkv" $entries)" ] ||
        fail "$input: $(stream "$input" $entries) became $(stream "lossless-$input.mkv" $entries)"
    [ "$(frame_flags "$input")" = "$(frame_flags "lossless-$input.mkv")" ] ||
        fail "$input: frames $(frame_flags "$input") became $(frame_flags "lossless-$input.mkv")"
    local order
    order=$(stream "$input" field_order)
    if [ "$order" != unknown ]; then
        [ "$order" = "$(stream "lossless-$input.mkv" field_order)" ] ||
            fail "$input: field order $order became $(stream "lossless-$input.mkv" field_order)"
    fi
    echo "ok: $input: FFV1 output equals the input ($(stream "$input" $entries),field_order $order)"

    # The default codec against a plain ffmpeg encode with its settings and format.
    "$lintra" video "$input" "default-$input.mkv" 2> err.txt || fail "$input: $(cat err.txt)"
    local outfmt flags=()
    outfmt=$(ffprobe -v error -select_streams V:0 -show_entries stream=pix_fmt -of csv=p=0 \
        "default-$input.mkv")
    [ "$(frame_flags "$input" | cut -d, -f1)" = 1 ] && flags=(-flags +ilme+ildct)
    ff -i "$input" -map 0:v -c:v libx264 -preset medium -crf 16 -pix_fmt "$outfmt" \
        "${flags[@]}" "plain-$input.mkv"
    local ours plain
    ours=$(psnr "default-$input.mkv" "$input" "$pixfmt")
    plain=$(psnr "plain-$input.mkv" "$input" "$pixfmt")
    close_enough "$ours" "$plain" || fail "$input: PSNR y u v $ours, a plain encode $plain"
    echo "ok: $input: libx264 as $outfmt, PSNR y u v $ours (plain encode: $plain)"
}

for input in hd709.mkv hdfull.mkv sd422.mov ntsc.avi ramp.mkv; do check_round_trip "$input"; done
# The ramp keeps its super-black and super-white.
ramp=$(ff -i lossless-ramp.mkv.mkv -frames:v 1 -f rawvideo -pix_fmt gray - | od -An -tu1 -w256 | head -n 1)
[ "$(echo $ramp | cut -d' ' -f1)" = 0 ] && [ "$(echo $ramp | cut -d' ' -f256)" = 255 ] ||
    fail "the ramp lost its ends: $(echo $ramp | cut -d' ' -f1-3) ... $(echo $ramp | cut -d' ' -f254-256)"
echo "ok: luma 0 and 255 kept"

# Filtered content: 4:2:2 10-bit, top field first, with a pattern of 2 8-bit steps in luma and
# 6 in chroma that alternates every two lines, as the woven fields of a capture show it; the
# colours stay inside RGB, where the view is exact (outside, lintra video keeps the levels
# that RGB would clip).
size=176x144
smooth="60+X/2+Y/2"
pattern="if(mod(floor(Y/2),2),1,-1)"
# check_filtered PIXFMT SCALE LUMA CHROMA: a clip in PIXFMT (levels scaled by SCALE from 8 bits,
# the pattern LUMA and CHROMA 8-bit steps), filtered by lintra video and compared.
check_filtered() {
    local pixfmt=$1 k=$2 luma=$3 chroma=$4
    ff -f lavfi -i "nullsrc=s=$size:r=25:d=0.16,format=$pixfmt,geq=lum='$k*($smooth+$luma*$pattern)':cb='$k*(120+X/2+$chroma*$pattern)':cr='$k*(140-Y/3-$chroma*$pattern)'" \
        -vf setsar=16/15,setfield=tff -c:v ffv1 -color_range tv -colorspace bt470bg "pattern-$pixfmt.mkv"
    "$lintra" video "pattern-$pixfmt.mkv" "out/filtered-$pixfmt.mkv" --codec ffv1 2> err.txt ||
        fail "pattern: $(cat err.txt)"
    ff -i "pattern-$pixfmt.mkv" -f rawvideo -pix_fmt "$pixfmt" in.raw
    ff -i "out/filtered-$pixfmt.mkv" -f rawvideo -pix_fmt "$pixfmt" got.raw
    "$tool" view "$pixfmt" $size 601 limited 1 in.raw before.bgr0
    "$lintra" --size $size before.bgr0 after.bgr0
    # lintra's frames, and the frames it was given, brought back to the clip's format by
    # ffmpeg, chroma field by field: the change between them is lintra's correction.
    local back="scale=out_color_matrix=bt601:out_range=tv:interl=1:flags=accurate_rnd+full_chroma_int+bitexact,format=$pixfmt"
    ff -f rawvideo -pix_fmt bgr0 -s $size -i after.bgr0 -vf "$back" -f rawvideo want.raw
    ff -f rawvideo -pix_fmt bgr0 -s $size -i before.bgr0 -vf "$back" -f rawvideo back.raw
    result=$("$tool" compare "$pixfmt" $size 1 in.raw got.raw back.raw want.raw before.bgr0 \
        after.bgr0) ||
        fail "$pixfmt: filtered pixels: $result"
    echo "ok: $pixfmt: filtered pixels: $result"
}
check_filtered yuv420p 1 2 6
check_filtered yuv422p10le 4 2 6

# Pattern strength of lintra video's output against lintra's on the RGB frames. lintra video
# adds the filter's 8-bit correction to the samples themselves, so the part of the pattern finer
# than an 8-bit step (which the view rounded away) stays: at most half a step. What it takes out
# is within 10% of what lintra takes out, and what remains at most a quarter of a step more.
ff -f rawvideo -pix_fmt bgr0 -s $size -i after.bgr0 -frames:v 1 -pix_fmt rgb24 lintra.png
ff -f rawvideo -pix_fmt bgr0 -s $size -i before.bgr0 -frames:v 1 -pix_fmt rgb24 before.png
ff -i out/filtered-yuv422p10le.mkv -frames:v 1 \
    -vf "scale=in_color_matrix=bt601:in_range=tv:flags=accurate_rnd+full_chroma_int" \
    -pix_fmt rgb24 video.png
strength() { "$lintra" --measure "$1" 2>&1 | grep -o '[0-9]*\.[0-9]*' | head -n 1; }
s_before=$(strength before.png); s_lintra=$(strength lintra.png); s_video=$(strength video.png)
awk -v b="$s_before" -v l="$s_lintra" -v v="$s_video" \
    'BEGIN { exit !(b > 10 * l && b - v >= 0.9 * (b - l) && v <= l + 0.25) }' ||
    fail "pattern strength: before $s_before, lintra $s_lintra, lintra video $s_video"
echo "ok: pattern strength: before $s_before, lintra on the RGB frames $s_lintra, lintra video $s_video"

#!/usr/bin/env bash
# The documented host limit: Debian's ffmpeg 5.1 pads the rows of frames it hands frei0r
# plug-ins to 64 bytes, and frei0r cannot tell the plug-in. At a width that is not a multiple
# of 16 the plug-in's output differs from lintra's; with the documented workaround (pad to a
# multiple of 16, filter, crop back) it is exactly lintra on the padded frames, cropped.
#   row_padding_test.sh LINTRA PLUGIN_DIR
set -euo pipefail
lintra=$1
export FREI0R_PATH=$2
. "$(dirname "$0")/ffmpeg_common.sh"

width=718 height=64 padded=720
test_frames "${width}x$height" 3 "$work/in.bgra"

# Without the workaround: not what lintra gives. Should this ever pass, ffmpeg has stopped
# padding the rows and README.md's "Known limit" section needs updating.
ff -f rawvideo -pix_fmt bgra -s "${width}x$height" -i "$work/in.bgra" -vf frei0r=lintra \
    -f rawvideo -pix_fmt bgra -y "$work/direct.bgra"
"$lintra" --size "${width}x$height" "$work/in.bgra" "$work/lintra.bgr0"
colour_bytes "$work/direct.bgra" bgra "${width}x$height" "$work/direct.bgr"
colour_bytes "$work/lintra.bgr0" bgr0 "${width}x$height" "$work/lintra.bgr"
if cmp -s "$work/direct.bgr" "$work/lintra.bgr"; then
    fail "at width $width the plug-in in ffmpeg now matches lintra: the row-padding limit is gone"
fi
echo "ok: at width $width the plug-in in ffmpeg differs from lintra, as documented"

# The workaround, exactly as README.md gives it.
ff -f rawvideo -pix_fmt bgra -s "${width}x$height" -i "$work/in.bgra" \
    -vf "pad=ceil(iw/16)*16:ih,frei0r=lintra,crop=$width:ih:0:0" \
    -f rawvideo -pix_fmt bgra -y "$work/workaround.bgra"
ff -f rawvideo -pix_fmt bgra -s "${width}x$height" -i "$work/in.bgra" -vf "pad=$padded:ih" \
    -f rawvideo -pix_fmt bgra -y "$work/padded.bgra"
"$lintra" --size "${padded}x$height" "$work/padded.bgra" "$work/padded-lintra.bgr0"
ff -f rawvideo -pix_fmt bgr0 -s "${padded}x$height" -i "$work/padded-lintra.bgr0" \
    -vf "crop=$width:ih:0:0" -f rawvideo -pix_fmt bgr24 -y "$work/expected.bgr"
colour_bytes "$work/workaround.bgra" bgra "${width}x$height" "$work/workaround.bgr"
cmp "$work/workaround.bgr" "$work/expected.bgr" || fail "the pad/crop workaround differs from lintra"
echo "ok: pad to a multiple of 16, filter, crop back == lintra on the padded frames"

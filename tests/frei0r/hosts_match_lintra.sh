#!/usr/bin/env bash
# The plug-in inside MLT (melt) and GStreamer (gst-launch-1.0), found through FREI0R_PATH: with
# its defaults, a slider value set through the host's own number parameter, the command's
# options as its settings text, and a Config line, every frame has lintra's colours for the
# same settings and the input's alpha. Also: what the hosts report about the parameters (every
# default inside its range) and the version, and a bad settings text reported once however
# often a host sets it.
#   hosts_match_lintra.sh LINTRA PLUGIN_DIR
set -euo pipefail
lintra=$1
# Appended, so that the hosts keep seeing the system's own plug-ins.
export FREI0R_PATH=$2:/usr/lib/frei0r-1
readme=$(cd "$(dirname "$0")/../.." && pwd)/README.md
. "$(dirname "$0")/ffmpeg_common.sh"
cd "$work"

# compare NAME OUT.bgra WxH LINTRA-OPTIONS...: OUT's colours are lintra's on in-WxH.bgra with
# those options, and its alpha the input's.
compare() {
    local name=$1 out=$2 size=$3
    shift 3
    "$lintra" "$@" --size "$size" "in-$size.bgra" lintra.bgr0
    colour_bytes lintra.bgr0 bgr0 "$size" want.bgr
    colour_bytes "$out" bgra "$size" got.bgr
    alpha_bytes "$out" "$size" got.alpha
    cmp -s "in-$size.bgr" want.bgr && fail "$name: the frames give the filter nothing to do"
    cmp got.bgr want.bgr || fail "$name ($size): colours differ from lintra $*"
    cmp got.alpha "in-$size.alpha" || fail "$name ($size): the input's alpha was not kept"
    echo "ok: $name ($size) == lintra $*"
}

# melt_run WxH OUT [filter properties...]: the plug-in in melt on in-WxH.mkv (lossless BGRA).
melt_run() {
    local size=$1 out=$2
    shift 2
    melt -silent -profile "profile-$size" "avformat:in-$size.mkv" -filter frei0r.lintra "$@" \
        -consumer "avformat:$out" f=rawvideo pix_fmt=bgra 2> melt.log ||
        fail "melt failed: $(cat melt.log)"
}

# gst_run WxH OUT [element properties...]: the plug-in in gst-launch-1.0 on in-WxH.bgra.
gst_run() {
    local size=$1 out=$2
    shift 2
    gst-launch-1.0 -q filesrc location="in-$size.bgra" \
        ! rawvideoparse format=bgra width="${size%x*}" height="${size#*x}" framerate=25/1 \
        ! frei0r-filter-lintra "$@" ! filesink location="$out" 2> gst.log ||
        fail "gst-launch-1.0 failed: $(cat gst.log)"
}

for size in 160x64 99x37; do
    test_frames "$size" 5 "in-$size.bgra"
    colour_bytes "in-$size.bgra" bgra "$size" "in-$size.bgr"
    alpha_bytes "in-$size.bgra" "$size" "in-$size.alpha"
    ff -f rawvideo -pix_fmt bgra -s "$size" -r 25 -i "in-$size.bgra" -c:v ffv1 -pix_fmt bgra \
        -y "in-$size.mkv"
    w=${size%x*} h=${size#*x}
    printf '%s\n' "description=$size" frame_rate_num=25 frame_rate_den=1 "width=$w" "height=$h" \
        progressive=1 sample_aspect_num=1 sample_aspect_den=1 "display_aspect_num=$w" \
        "display_aspect_den=$h" colorspace=601 > "profile-$size"

    melt_run "$size" melt.bgra
    compare "melt defaults" melt.bgra "$size"
    gst_run "$size" gst.bgra
    compare "gst defaults" gst.bgra "$size"
done

size=160x64
melt_run $size melt.bgra "luma threshold=0.08" 6=0.12 2=0
compare "melt sliders" melt.bgra $size --luma-threshold 8 --chroma-length 12 --progressive
gst_run $size gst.bgra luma-threshold=0.08 chroma-length=0.12 interlaced=false
compare "gst sliders" gst.bgra $size --luma-threshold 8 --chroma-length 12 --progressive

options="--rgb --luma-length 20 --luma-threshold 12 --test-mode"
melt_run $size melt.bgra 0="$options" 5=0.5
compare "melt options text" melt.bgra $size $options
gst_run $size gst.bgra settings-line="$options" luma-threshold=0.5
compare "gst options text" gst.bgra $size $options

line="Config(1310723, 524318, 524318, 0)"
melt_run $size melt.bgra 0="$line"
compare "melt Config line" melt.bgra $size --config "$line"
gst_run $size gst.bgra settings-line="$line"
compare "gst Config line" gst.bgra $size --config "$line"

# A bad text is reported once, though melt sets every parameter again for each frame.
melt_run $size melt.bgra 0="Config(1, 2, 3)"
reports=$(grep -c "lintra: ignoring the settings" melt.log || true)
[ "$reports" -eq 1 ] || fail "melt: a bad settings text was reported $reports times for 5 frames"
gst_run $size gst.bgra settings-line="--fast"
reports=$(grep -c "lintra: ignoring the settings \"--fast\" (settings: unknown option '--fast')" gst.log || true)
[ "$reports" -eq 1 ] || fail "gst: a bad settings text was reported $reports times: $(cat gst.log)"
echo "ok: a bad settings text is reported once in melt and in gst-launch-1.0"

# What the hosts make of the parameters: numbers in [0, 1] with their defaults inside.
melt -query filter=frei0r.lintra > query.yml 2> /dev/null
awk '/type: float/ { f = 1 } f && /minimum:/ { lo = $2 } f && /maximum:/ { hi = $2 }
     f && /default:/ { n++; if (lo != 0 || hi != 1 || $2 < 0 || $2 > 1) bad = 1; f = 0 }
     END { exit !(n == 4 && !bad) }' query.yml || fail "melt -query: $(cat query.yml)"
gst-inspect-1.0 frei0r-filter-lintra > inspect.txt 2>&1
ranges=$(grep -c "Double. Range: *0 - *1 Default: *0\.[0-9]*" inspect.txt || true)
[ "$ranges" -eq 4 ] || fail "gst-inspect-1.0: $(grep -A2 Double inspect.txt)"
echo "ok: melt and gst-inspect-1.0 report four numbers in [0, 1] with their defaults inside"
# The plug-in's version fields are the command's major and minor version.
version=$("$lintra" --version | sed -n '1s/^lintra \([0-9]*\.[0-9]*\)\..*/\1/p')
grep -qx "version: $version" query.yml || fail "melt -query: no 'version: $version' for lintra $version"
echo "ok: melt -query reports version $version"

# The one-line examples of README.md, as written there, on a short clip.
ff -f lavfi -i testsrc2=s=176x144:r=25:d=0.4 -c:v libx264 -y in.mkv
for host in "ffmpeg -i in.mkv -vf" "melt in.mkv" "gst-launch-1.0 filesrc"; do
    line=$(grep -m 1 -F "    $host" "$readme" | grep -F lintra) || fail "README has no $host example"
    rm -f out.mkv
    (eval "${line/ffmpeg -i/ffmpeg -nostdin -v error -i}") > example.log 2>&1 || fail "README example failed: $line: $(cat example.log)"
    frames=$(ffprobe -v error -count_frames -show_entries stream=nb_read_frames -select_streams v -of csv=p=0 out.mkv)
    [ "$frames" -ge 10 ] || fail "README example made $frames frames: $line"
    echo "ok: README example: ${line:4:60}..."
done

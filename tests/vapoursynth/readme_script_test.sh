#!/usr/bin/env bash
# The README's VapourSynth script, as printed there, on a small capture encoded the way
# captures arrive (4:2:2 10-bit, interlaced top field first, anamorphic, BT.601, limited
# range): vspipe into ffmpeg gives a clip of the source's format, size, frame count, field
# order and aspect ratio, sample for sample what lintra video makes of the same file.
#   readme_script_test.sh LINTRA PLUGIN VENV_BIN README
set -euo pipefail
lintra=$1
plugin=$2
venv_bin=$3
readme=$4
work=$(mktemp -d)
trap '[ -n "${KEEP:-}" ] || rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
ff() { ffmpeg -nostdin -hide_banner -v error "$@"; }

# vspipe finds its Python through VapourSynth's own configuration file; BestSource keeps its
# index in the cache folder: both in the scratch folder, not in the user's home.
export XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache HOME=$work
"$venv_bin/vapoursynth" config > /dev/null
if ! "$venv_bin/python" -c "import vapoursynth as vs; vs.core.bs" 2> /dev/null; then
    echo "SKIP: BestSource is not installed in the virtual environment (scripts/install_deps.sh)"
    exit 77
fi

# A plug-in installed into the plugins folder is loaded by every script; only this build's may be.
installed=$("$venv_bin/python" -c "import vapoursynth as vs; print(vs.core.lintra.plugin_path if hasattr(vs.core, 'lintra') else '')")
if [ -n "$installed" ] && ! cmp -s "$installed" "$plugin"; then
    echo "SKIP: VapourSynth loads another lintra plug-in from $installed (run cmake --install again)"
    exit 77
fi

size=720x576
frames=6
ff -f lavfi -i "testsrc2=s=$size:r=25,noise=alls=12:allf=t,setsar=64/45,format=yuv422p10le" \
    -frames:v $frames -c:v ffv1 -field_order tt -colorspace bt470bg -color_primaries bt470bg \
    -color_trc bt709 -color_range tv -y "$work/capture.mkv"

# The script exactly as the README prints it, with this build's plug-in loaded first.
script=$work/clean.vpy
{
    echo "import vapoursynth as vs"
    echo "if not hasattr(vs.core, 'lintra'): vs.core.std.LoadPlugin('$plugin')"
    awk '/^    import vapoursynth as vs$/ { on = 1 } on && /^[^ ]/ { exit } on { print substr($0, 5) }' "$readme"
} | sed "s|\"capture.mkv\"|\"$work/capture.mkv\"|" > "$script"
grep -q 'core.lintra.Lintra(src)' "$script" || fail "no script found in $readme"
command=$(grep -m1 '^    vspipe -c y4m clean.vpy - | ffmpeg -i - .* clean.mkv$' "$readme") ||
    fail "no vspipe command found in $readme"

# The README's command line.
command=${command#    }
(cd "$work" && PATH="$venv_bin:$PATH" bash -c "${command/ffmpeg -i/ffmpeg -nostdin -v error -i}" 2> "$work/vspipe.log") ||
    { cat "$work/vspipe.log" >&2; fail "$command"; }
got=$(ffprobe -v error -select_streams v:0 -count_frames -of default=nw=1 -show_entries \
    stream=codec_name,pix_fmt,width,height,nb_read_frames,field_order,sample_aspect_ratio,color_space,color_range \
    "$work/clean.mkv" | sort | tr '\n' ' ')
want="codec_name=ffv1 color_range=tv color_space=bt470bg field_order=tt height=576 nb_read_frames=$frames pix_fmt=yuv422p10le sample_aspect_ratio=64:45 width=720 "
[ "$got" = "$want" ] || fail "clean.mkv is $got, not $want"
echo "ok: vspipe -c y4m clean.vpy - | ffmpeg: $got"

# The same capture through lintra video: the same shared code, so the same samples.
"$lintra" video "$work/capture.mkv" "$work/video.mkv" --codec ffv1 2> "$work/video.log" ||
    { cat "$work/video.log" >&2; fail "lintra video"; }
for f in capture clean video; do
    ff -i "$work/$f.mkv" -map 0:v -f rawvideo -pix_fmt yuv422p10le -y "$work/$f.yuv"
done
cmp -s "$work/capture.yuv" "$work/clean.yuv" && fail "Lintra changed nothing"
cmp "$work/clean.yuv" "$work/video.yuv" || fail "the script's frames differ from lintra video's"
echo "ok: $frames frames $size through vspipe and ffmpeg equal lintra video's, sample for sample"

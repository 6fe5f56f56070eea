#!/usr/bin/env bash
# cmake --install (under a scratch DESTDIR, so nothing lands in the real plugins folder) puts
# the VapourSynth plug-in where the build said it would, exporting only VapourSynthPluginInit2;
# loaded from there by path, it filters a clip.
#   install_test.sh BUILD_DIR PYTHON
set -euo pipefail
build_dir=$1
python=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "install_test: $*" >&2; exit 1; }

DESTDIR="$work/root" cmake --install "$build_dir" --prefix /prefix > "$work/install.log"
installed=$(sed -n 's|^-- Installing: \(.*/lintra_vapoursynth\.so\)$|\1|p' "$work/install.log")
[ -n "$installed" ] && [ -s "$installed" ] || { cat "$work/install.log" >&2; fail "lintra_vapoursynth.so was not installed"; }
plugins=$("$python" -c "import os, vapoursynth as vs; print(os.path.join(os.path.dirname(vs.__file__), 'plugins'))")
cached=$(sed -n 's/^LINTRA_VAPOURSYNTH_PLUGIN_DIR:[A-Z]*=//p' "$build_dir/CMakeCache.txt")
want=${cached:-$plugins}
[ "${want#/}" != "$want" ] || want=/prefix/$want
[ "$installed" = "$work/root$want/lintra_vapoursynth.so" ] || fail "installed as $installed, not into $want"

exports=$(nm -D --defined-only "$installed" | awk '{print $3}' | tr '\n' ' ')
[ "$exports" = "VapourSynthPluginInit2 " ] || fail "unexpected exports: $exports"

PYTHONPATH="$(dirname "$0")" "$python" -B - "$installed" <<'PY'
import sys
import vapoursynth as vs
import vs_harness as h
core = h.core_with_plugin(sys.argv[1])
clip = core.std.BlankClip(format=vs.RGB24, width=32, height=16, length=2, color=[40, 90, 200])
frame = core.lintra.Lintra(clip, rgb=1).get_frame(1)
if h.frame_colour_bytes(frame) != h.frame_colour_bytes(clip.get_frame(1)):
    h.fail("the installed plug-in changed a flat clip")
PY
echo "install_test: ok ($want)"

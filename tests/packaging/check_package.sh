#!/usr/bin/env bash
# Checks the Debian package without installing it: its control fields and dependencies, its
# files and their owners, lintian, and the unpacked command and plug-in run once.
#   check_package.sh DEB VERSION COMPONENTS_FILE
set -euo pipefail
deb="$1"
version="$2"
components="$3"
here="$(cd "$(dirname "$0")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check_package: $*" >&2; exit 1; }
arch="$(dpkg --print-architecture)"

[ "$(basename "$deb")" = "lintra_${version}_${arch}.deb" ] || fail "named $(basename "$deb")"

# Control fields.
dpkg-deb --info "$deb"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = lintra ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
for dependency in libc6 libpng16-16 libstdc++6; do
    field Depends | tr ',' '\n' | grep -q "^ *$dependency " || fail "Depends lacks $dependency"
done
[ "$(field Recommends)" = ffmpeg ] || fail "Recommends: $(field Recommends)"
echo "ok: control fields, Depends: $(field Depends)"

# Files: exactly these, owned by root, nothing outside /usr.
dpkg-deb --contents "$deb" | tee "$work/contents.txt"
awk '$2 != "root/root" { print "owner " $2 " of " $6; bad = 1 } END { exit bad }' \
    "$work/contents.txt" || fail "files not owned by root"
awk '!/^d/ { print $6 }' "$work/contents.txt" | sort > "$work/files.txt"
{
    printf '%s\n' ./usr/bin/lintra ./usr/lib/frei0r-1/lintra.so \
        ./usr/share/doc/lintra/README.md.gz ./usr/share/doc/lintra/changelog.gz \
        ./usr/share/doc/lintra/copyright ./usr/share/man/man1/lintra.1.gz
    if grep -q vapoursynth "$components"; then
        grep "^\./usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/vapoursynth/[^/]*\.so$" \
            "$work/files.txt" || echo "(the VapourSynth plug-in)"
    fi
} | sort > "$work/want.txt"
diff "$work/want.txt" "$work/files.txt" || fail "the files differ from those expected (< expected, > packaged)"
echo "ok: $(wc -l < "$work/files.txt") files, all root/root under /usr"

# lintian: no errors (its note on running as root is not about the package).
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v "running with root privileges" | tee "$work/lintian.txt" ||
    true
lintian --fail-on error "$deb" > /dev/null 2>&1 || fail "lintian reports errors"
echo "ok: lintian: $(grep -c '^[EW]:' "$work/lintian.txt" || true) errors and warnings"

# The unpacked package: the command, its manual page, the copyright and changelog files, and
# the plug-in from where ffmpeg finds it.
dpkg-deb -x "$deb" "$work/root"
lintra="$work/root/usr/bin/lintra"
"$lintra" --version | tee "$work/version.txt"
[ "$(head -n 1 "$work/version.txt")" = "lintra $version" ] || fail "--version: $(head -n 1 "$work/version.txt")"
"$lintra" --write-sample "$work/sample.png"
"$lintra" "$work/sample.png" "$work/filtered.png"
before="$("$lintra" --measure "$work/sample.png")"
after="$("$lintra" --measure "$work/filtered.png")"
awk -v b="$before" -v a="$after" 'BEGIN { exit !(a < b / 4) }' ||
    fail "the sample's pattern strength went from $before only to $after"
echo "ok: the unpacked lintra filters its sample: pattern strength $before -> $after"

"$here/check_man_page.sh" "$work/root/usr/share/man/man1/lintra.1.gz" "$lintra"

copyright="$work/root/usr/share/doc/lintra/copyright"
head -n 1 "$copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ||
    fail "copyright is not in Debian's machine-readable format"
for licence in "License: Expat" "MIT licence" "License: GPL-2+" "License: LGPL-2.1+" frei0r.h VapourSynth4.h; do
    grep -qF "$licence" "$copyright" || fail "copyright does not name $licence"
done
zcat "$work/root/usr/share/doc/lintra/changelog.gz" > "$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's latest entry is not $version"
echo "ok: copyright names the licences, the changelog's latest entry is $version"

if command -v ffmpeg > /dev/null; then
    FREI0R_PATH="$work/root/usr/lib/frei0r-1" ffmpeg -nostdin -v error \
        -f lavfi -i testsrc2=s=64x48:d=0.2 -vf frei0r=lintra -f null - ||
        fail "ffmpeg cannot load the packaged plug-in"
    echo "ok: ffmpeg runs the packaged frei0r plug-in"
fi
# The packaged VapourSynth plug-in, loaded by path into the checkout's VapourSynth when there is
# one, filters a clip.
vs_plugin=$(find "$work/root/usr/lib" -path "*/vapoursynth/*.so" | head -n 1)
vs_python="$here/../../.venv/bin/python"
if [ -n "$vs_plugin" ] && [ -x "$vs_python" ]; then
    PYTHONPATH="$here/../vapoursynth" PYTHONDONTWRITEBYTECODE=1 "$vs_python" - "$vs_plugin" <<'PY' ||
        fail "VapourSynth cannot run the packaged plug-in"
import sys
import vapoursynth as vs
from vs_harness import core_with_plugin
core = core_with_plugin(sys.argv[1])
clip = core.std.BlankClip(format=vs.RGB24, width=64, height=48, length=2, color=[40, 90, 160])
frame = core.lintra.Lintra(clip).get_frame(1)
assert bytes(frame[0])[:4] == bytes([40] * 4), "a flat clip must come through unchanged"
PY
    echo "ok: VapourSynth runs the packaged plug-in"
fi
echo "check_package: ok"

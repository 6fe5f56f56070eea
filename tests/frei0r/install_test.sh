#!/usr/bin/env bash
# cmake --install into a fresh prefix puts the command, the frei0r plug-in, the manual page,
# README and the copyright texts where they belong, and the installed plug-in is what ffmpeg
# loads from there.
set -euo pipefail
build_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# DESTDIR keeps destinations outside the prefix (the VapourSynth plug-in's, in a Python
# environment) inside the scratch folder too.
DESTDIR="$work/root" cmake --install "$build_dir" --prefix /prefix > "$work/install.log"
ln -s "$work/root/prefix" "$work/prefix"

files=(bin/lintra lib/frei0r-1/lintra.so share/doc/lintra/README.md.gz share/doc/lintra/copyright
       share/doc/lintra/changelog.gz)
# The manual page is made where help2man is installed.
[ -f "$build_dir/packaging/lintra.1.gz" ] && files+=(share/man/man1/lintra.1.gz)
for f in "${files[@]}"; do
    if [ ! -s "$work/prefix/$f" ]; then
        echo "install_test: $f is missing from the installed tree" >&2
        cat "$work/install.log" >&2
        exit 1
    fi
done
[ -x "$work/prefix/bin/lintra" ] || { echo "install_test: bin/lintra is not executable" >&2; exit 1; }

# The plug-in must load from its installed place and export nothing but the frei0r entry points.
exports=$(nm -D --defined-only "$work/prefix/lib/frei0r-1/lintra.so" | awk '{print $3}' | sort | tr '\n' ' ')
want="f0r_construct f0r_deinit f0r_destruct f0r_get_param_info f0r_get_param_value f0r_get_plugin_info f0r_init f0r_set_param_value f0r_update f0r_update2 "
if [ "$exports" != "$want" ]; then
    echo "install_test: unexpected exports: $exports" >&2
    exit 1
fi
if command -v ffmpeg > /dev/null; then
    FREI0R_PATH="$work/prefix/lib/frei0r-1" ffmpeg -nostdin -v error \
        -f lavfi -i testsrc2=s=64x48:d=0.04 -vf frei0r=lintra -f null -
fi
echo "install_test: ok"

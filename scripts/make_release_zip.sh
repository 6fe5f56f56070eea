#!/usr/bin/env bash
# Packs the Windows download: Lintra-<version>-windows-x86.zip with Lintra.vdf, README.txt (on
# installing it and on its dialog, from README.md's section on the Windows module), the dialog
# picture when one is given, and LICENSE.txt; texts with Windows line ends. The SHA-256
# checksum goes beside it as <zip>.sha256 (sha256sum -c reads it).
#   make_release_zip.sh LINTRA.VDF DIALOG.PNG|"" OUT_DIR
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
vdf="${1:?usage: make_release_zip.sh LINTRA.VDF DIALOG.PNG|\"\" OUT_DIR}"
picture="${2-}"
out="${3:?usage: make_release_zip.sh LINTRA.VDF DIALOG.PNG|\"\" OUT_DIR}"
version="$("$root/scripts/project_version.sh")"
name="Lintra-$version-windows-x86"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

# README.md's installing and dialog paragraphs as plain text in lines of at most 78: no
# emphasis or code marks, each table row as "first cell: the others" with a hanging indent,
# header rows and rules left out.
windows_section() {
    sed -n '/^## The Windows module/,/^## /p' "$root/README.md" |
        sed -n '/^\*\*Installing\.\*\*/,/^\*\*What is tested where\*\*/p' | sed '$d' |
        sed -e 's/\*\*//g' -e 's/`//g' |
        awk 'function wrap(text, first, rest,    n, i, word, line, out) {
                 n = split(text, word, / +/); line = first
                 for (i = 1; i <= n; i++) {
                     if (word[i] == "") continue
                     if (line != first && line != rest && length(line) + 1 + length(word[i]) > 78) {
                         print line; line = rest
                     }
                     line = line ((line == first || line == rest) ? "" : " ") word[i]
                 }
                 if (line != first && line != rest) print line
             }
             function flush() { if (para != "") wrap(para, "", ""); para = "" }
             function row() { if (header != "") wrap(header, "  ", "      "); header = "" }
             /^\|[- |]*\|$/ { header = ""; next }
             /^\|/ { flush(); row()
                     line = $0; sub(/^\| */, "", line); sub(/ *\|$/, "", line)
                     n = split(line, cell, / *\| */)
                     header = cell[1] (cell[1] ~ /:$/ ? "" : ":")
                     for (i = 2; i <= n; i++) if (cell[i] != "") header = header (i > 2 ? "; " : " ") cell[i]
                     next }
             /^$/ { row(); flush(); print ""; next }
             { row(); para = para " " $0 }
             END { row(); flush() }'
}

{
    echo "Lintra $version for Windows"
    echo
    echo "Lintra is a line-comb filter for restoring analog video captures: it removes"
    echo "fine patterns that alternate from one line to the next (dot crawl, cross-colour,"
    echo "residual combing) while leaving real vertical detail alone. Lintra.vdf is its"
    echo "module for a 32-bit Windows video-processing host; it needs nothing but Windows"
    echo "itself. Its file properties (Details) show the version."
    echo
    echo "In this zip: Lintra.vdf, this text, LICENSE.txt (the MIT licence)$([ -n "$picture" ] && echo "," || echo ".")"
    [ -z "$picture" ] || echo "dialog.png (the settings dialog, as Wine draws it)."
    echo
    windows_section
    echo "Licence: Lintra is free software under the MIT licence (LICENSE.txt),"
    echo "Copyright (c) 2026 Lintra developers. Lintra.vdf has GCC's runtime libraries"
    echo "(GPL-3+ with the GCC Runtime Library Exception) and mingw-w64's runtime linked"
    echo "in. In a bug report, please give the version shown in the file's properties."
} | sed 's/$/\r/' > "$work/README.txt"
sed 's/$/\r/' "$root/LICENSE" > "$work/LICENSE.txt"
cp "$vdf" "$work/Lintra.vdf"
[ -z "$picture" ] || cp "$picture" "$work/dialog.png"

# Fixed times and order, so that the same build packs the same zip.
epoch="$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Timestamp)"
touch -d "@$epoch" "$work"/*
rm -f "$out/$name.zip" "$out/$name.zip.sha256"
files=(Lintra.vdf README.txt LICENSE.txt)
[ -z "$picture" ] || files+=(dialog.png)
(cd "$work" && TZ=UTC zip -X -q "$out/$name.zip" "${files[@]}")
(cd "$out" && sha256sum "$name.zip" > "$name.zip.sha256")
echo "== $out/$name.zip"
echo "== $out/$name.zip.sha256: $(cut -d ' ' -f 1 "$out/$name.zip.sha256")"

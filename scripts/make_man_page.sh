#!/usr/bin/env bash
# Makes the manual page lintra(1) from the command's own `lintra --help` and
# `lintra video --help` with help2man, so that it cannot drift from them, plus the sections
# --help has no room for (the include file). Writes OUT and OUT.gz (as Debian installs it).
#   make_man_page.sh LINTRA INCLUDE OUT VERSION
set -euo pipefail
lintra="$(realpath "${1:?usage: make_man_page.sh LINTRA INCLUDE OUT VERSION}")"
include="${2:?}"
out="${3:?}"
version="${4:?}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The page's date is the changelog's, so that the same source makes the same page.
root="$(cd "$(dirname "$0")/.." && pwd)"
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(dpkg-parsechangelog -l "$root/packaging/changelog" -S Timestamp 2>/dev/null || date +%s)}"
h2m=(help2man --no-info --version-string="$version")

# help2man runs one program: `lintra video` is a wrapper that adds the word.
printf '#!/bin/sh\nexec "$LINTRA_BINARY" video "$@"\n' > "$work/lintra-video"
chmod +x "$work/lintra-video"
LINTRA_BINARY="$lintra" "${h2m[@]}" --name=video "$work/lintra-video" > "$work/video.1"

# Its page, from the synopsis on, becomes the section LINTRA VIDEO: its sections become
# subsections there.
{
    cat "$include"
    printf '\n[LINTRA VIDEO]\n'
    sed -n '/^\.SH SYNOPSIS/,$p' "$work/video.1" | sed '1d; s/^\.SH DESCRIPTION$/.PP/; s/^\.SH /.SS /'
} > "$work/lintra.h2m"

"${h2m[@]}" --include="$work/lintra.h2m" "$lintra" > "$work/lintra.1"

# Examples are command lines: kept line by line instead of filled into a paragraph, the lines
# of a pipeline indented.
awk '
    /^\.S[HS] / {
        if (nofill) print ".fi"
        nofill = 0
        print
        if ($0 ~ /EXAMPLES|"Examples:"/) { print ".nf"; nofill = 1 }
        next
    }
    nofill && /^\.(IP|PP)$/ { next }
    nofill && continued { $0 = "  " $0 }
    { print; continued = nofill && /\|$/ }
    END { if (nofill) print ".fi" }
' "$work/lintra.1" > "$out"
gzip -9 -n -c "$out" > "$out.gz"

#!/usr/bin/env bash
# Checks the Windows download: its checksum file, exactly the files it should hold, the module
# (exports, imports, version resource), texts with Windows line ends that name the version,
# the registered name and the licence, and the dialog picture when it should have one.
#   check_release_zip.sh ZIP VERSION with-picture|without-picture
set -euo pipefail
zip="$(realpath "$1")"
version="$2"
picture="$3"
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "check_release_zip: $*" >&2; exit 1; }

[ "$(basename "$zip")" = "Lintra-$version-windows-x86.zip" ] || fail "named $(basename "$zip")"
(cd "$(dirname "$zip")" && sha256sum -c "$(basename "$zip").sha256") || fail "checksum"

want="LICENSE.txt Lintra.vdf README.txt"
[ "$picture" = with-picture ] && want="LICENSE.txt Lintra.vdf README.txt dialog.png"
got="$(unzip -Z1 "$zip" | sort | tr '\n' ' ')"
[ "$got" = "$want " ] || fail "holds $got, not $want"
unzip -q "$zip" -d "$work"
echo "ok: $want"

"$root/scripts/check_vdf.sh" "$work/Lintra.vdf"
"$root/scripts/check_vdf_version.sh" "$work/Lintra.vdf" "$version"

for text in README.txt LICENSE.txt; do
    [ "$(grep -c $'\r$' "$work/$text")" -eq "$(wc -l < "$work/$text")" ] ||
        fail "$text has lines without Windows line ends"
    [ "$(tr -d '\r' < "$work/$text" | awk '{ if (length($0) > n) n = length($0) } END { print n }')" -le 80 ] ||
        fail "$text has lines over 80 characters"
done
tr -d '\r' < "$work/README.txt" > "$work/readme"
for part in "Lintra $version for Windows" "Installing." "\"Lintra 1.0\"" "The dialog" "testmode" \
    "Config(655363, 327700, 327700, 16777216)" "MIT licence"; do
    grep -qF "$part" "$work/readme" || fail "README.txt does not say $part"
done
grep -q '[*`|]' "$work/readme" && fail "README.txt has Markdown left: $(grep '[*`|]' "$work/readme")"
grep -qF "Copyright (c) 2026 Lintra developers" "$work/LICENSE.txt" || fail "LICENSE.txt"
grep -qF "MIT License" "$work/LICENSE.txt" || fail "LICENSE.txt is not the MIT licence"
echo "ok: README.txt and LICENSE.txt, Windows line ends"

if [ "$picture" = with-picture ]; then
    file -b "$work/dialog.png" | grep -q "^PNG image data" || fail "dialog.png is no PNG"
    echo "ok: dialog.png: $(file -b "$work/dialog.png")"
fi
echo "check_release_zip: ok"

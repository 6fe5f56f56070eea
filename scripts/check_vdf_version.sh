#!/usr/bin/env bash
# Reads the version resource back from a built Lintra.vdf, as Windows shows it in the file's
# properties: file and product version VERSION, product name "Lintra", a description. The name
# the module registers with the host stays "Lintra 1.0" whatever the version.
#   check_vdf_version.sh Lintra.vdf VERSION [windres]
set -euo pipefail
vdf="${1:?usage: check_vdf_version.sh Lintra.vdf VERSION [windres]}"
version="${2:?usage: check_vdf_version.sh Lintra.vdf VERSION [windres]}"
windres="${3:-i686-w64-mingw32-windres}"
failed=0

rc="$("$windres" -i "$vdf" -O rc)"
info="$(printf '%s\n' "$rc" | sed -n '/^[0-9]* VERSIONINFO/,/^END/p')"
[ -n "$info" ] || { echo "no VERSIONINFO resource in $vdf"; exit 1; }

IFS=. read -r major minor patch <<< "$version"
want=(" FILEVERSION $major, $minor, ${patch:-0}, 0"
      " PRODUCTVERSION $major, $minor, ${patch:-0}, 0"
      " FILETYPE 0x2"
      "      VALUE \"FileVersion\", \"$version\""
      "      VALUE \"ProductVersion\", \"$version\""
      "      VALUE \"ProductName\", \"Lintra\""
      "      VALUE \"OriginalFilename\", \"Lintra.vdf\"")
for line in "${want[@]}"; do
    if printf '%s\n' "$info" | grep -qxF -- "$line"; then
        echo "version resource: ${line#"${line%%[! ]*}"}: ok"
    else
        echo "version resource: missing '${line#"${line%%[! ]*}"}'"
        failed=1
    fi
done
if printf '%s\n' "$info" | grep -qE '^ *VALUE "FileDescription", "[^"]+"$'; then
    echo "version resource: FileDescription: ok"
else
    echo "version resource: no FileDescription"
    failed=1
fi
if strings -a "$vdf" | grep -x "Lintra 1.0" > /dev/null; then
    echo "registered name \"Lintra 1.0\": ok"
else
    echo "registered name \"Lintra 1.0\" not found in $vdf"
    failed=1
fi
[ "$failed" -eq 0 ] || printf '%s\n' "$info"
exit "$failed"

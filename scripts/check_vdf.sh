#!/usr/bin/env bash
# Checks the built Lintra.vdf the way the host will meet it: both entry points exported under
# their plain names, and nothing imported but Windows system libraries (the user copies one
# file).
set -euo pipefail
vdf="${1:?usage: check_vdf.sh Lintra.vdf [objdump]}"
objdump="${2:-i686-w64-mingw32-objdump}"
failed=0

dump="$("$objdump" -p "$vdf")"

# Exported names: the lines of the "[Ordinal/Name Pointer] Table" section.
exports="$(printf '%s\n' "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^.*\] //p')"
for name in VirtualdubFilterModuleInit2 VirtualdubFilterModuleDeinit; do
    if printf '%s\n' "$exports" | grep -qx "$name"; then
        echo "export $name: ok"
    else
        echo "export $name: missing or decorated; exports are:" $exports
        failed=1
    fi
done

imports="$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p')"
allowed='^(KERNEL32|USER32|GDI32|ADVAPI32|msvcrt|api-ms-win-.*)\.dll$'
for dll in $imports; do
    if printf '%s\n' "$dll" | grep -Eqi "$allowed"; then
        echo "import $dll: ok"
    else
        echo "import $dll: not a Windows system library"
        failed=1
    fi
done
printf '%s\n' "$imports" | grep -qi '^USER32.dll$' || { echo "USER32.dll not imported"; failed=1; }

exit "$failed"

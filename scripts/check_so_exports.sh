#!/usr/bin/env bash
# Checks that lintra_module.so exports exactly the module's two entry points, like Lintra.vdf.
set -euo pipefail
module="${1:?usage: check_so_exports.sh lintra_module.so}"
symbols="$(nm -D --defined-only "$module" | awk '{print $3}' | sort)"
want="$(printf '%s\n' VirtualdubFilterModuleDeinit VirtualdubFilterModuleInit2)"
if [ "$symbols" != "$want" ]; then
    echo "exported symbols differ from the two entry points:"
    printf '%s\n' "$symbols"
    exit 1
fi
echo "exports: $(echo $symbols)"

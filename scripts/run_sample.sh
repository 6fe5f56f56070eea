#!/usr/bin/env bash
# Filters the built-in sample with the default settings and shows what changed.
# Usage: scripts/run_sample.sh BUILD_DIR
set -euo pipefail

build=${1:-build}
lintra="$build/cli/lintra"
out=out
if [ ! -x "$lintra" ]; then
    echo "run_sample: $lintra not found; build first (make build)" >&2
    exit 1
fi
mkdir -p "$out"

echo "== built-in sample: $out/sample_input.png (test scene with a line-alternating pattern)"
"$lintra" --write-sample "$out/sample_input.png"
"$lintra" --write-clean-sample "$out/sample_clean.png"
echo "   $("$lintra" --print-config)  (default settings)"
echo "== filtered: $out/sample_filtered.png"
"$lintra" "$out/sample_input.png" "$out/sample_filtered.png"
echo "== test mode (detected pattern on mid-grey): $out/sample_testmode.png"
"$lintra" --test-mode "$out/sample_input.png" "$out/sample_testmode.png"

before=$("$lintra" --measure "$out/sample_input.png")
after=$("$lintra" --measure "$out/sample_filtered.png")
clean=$("$lintra" --measure "$out/sample_clean.png")
echo "== pattern strength (mean line-alternating departure, 8-bit steps; see README)"
echo "   before: $before"
echo "   after:  $after"
echo "   (the scene without its added pattern measures $clean)"

#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time on a scratch copy of its seed corpus (the
# committed corpus never grows) and prints one line: target, executions, crashes.
# Usage: run_fuzz_target.sh <target executable> <seed corpus dir> <seconds> <work dir>
# Exits 77 (skipped) when the target is not built: its part is absent from this checkout.
set -uo pipefail
exe="$1"
seeds="$2"
seconds="$3"
work="$4"
name="$(basename "$exe")"
corpus="$work/corpus-$name"
if [ ! -x "$exe" ]; then
    echo "$name: not built (its part is absent from this checkout)"
    exit 77
fi
log="$work/$name.log"

rm -rf "$corpus"
mkdir -p "$corpus" "$work/artifacts"
"$exe" -max_total_time="$seconds" -print_final_stats=1 -timeout=30 -rss_limit_mb=2048 \
    -artifact_prefix="$work/artifacts/$name-" "$corpus" "$seeds" >"$log" 2>&1
status=$?

runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
crashes=0
if [ "$status" -ne 0 ]; then
    crashes=1
    tail -n 60 "$log"
    echo "$name: crashed (exit $status); input saved under $work/artifacts/, log $log"
fi
printf '%-28s executions %10s   crashes %d   (%ss)\n' "$name" "${runs:-?}" "$crashes" "$seconds"
exit "$status"

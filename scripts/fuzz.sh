#!/usr/bin/env bash
# make fuzz: builds the libFuzzer targets (build-fuzz/, clang, ASan + UBSan) and runs each for
# FUZZ_SECONDS (default 180) on a scratch copy of its seed corpus in fuzz/corpus/<target>/.
# Prints executions and crashes per target; exits non-zero if any target crashed.
set -uo pipefail
src="$(cd "$(dirname "$0")/.." && pwd)"
dir="${FUZZ_BUILD:-$src/build-fuzz}"
seconds="${FUZZ_SECONDS:-180}"

"$src/scripts/build_fuzz.sh" "$dir" || exit 1

summary=()
failed=0
for exe in "$dir"/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name="$(basename "$exe")"
    echo "== $name for ${seconds}s"
    line="$("$src/scripts/run_fuzz_target.sh" "$exe" "$src/fuzz/corpus/${name#fuzz_}" "$seconds" \
        "$dir/runs")" || failed=1
    echo "$line"
    summary+=("$(echo "$line" | tail -n 1)")
done

echo "== fuzz summary"
printf '%s\n' "${summary[@]}"
if [ "$failed" -ne 0 ]; then
    echo "fuzz: at least one target crashed"
    exit 1
fi

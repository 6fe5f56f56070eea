#!/usr/bin/env bash
# Release build with the benchmarks, then every tracked case, pinned to one core and repeated;
# prints the medians. Extra arguments go to lintra_bench (e.g. --benchmark_filter=yuv_1080p).
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-bench
echo "== configure and build ($build, Release, benchmarks on)"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DLINTRA_BUILD_BENCH=ON -DLINTRA_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j 2 --target lintra_bench
echo "== benchmarks on $(lscpu | sed -n 's/^Model name: *//p'), medians of 5 repetitions"
pin=()
if command -v taskset >/dev/null; then pin=(taskset -c "$(($(nproc) - 1))"); fi
"${pin[@]}" "$build/bench/lintra_bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true --benchmark_min_time=0.5 \
    --benchmark_filter='^[^r]|^rgb' "$@" | grep -v -E '_(mean|stddev|cv) '
[ $# -eq 0 ] || exit 0
echo "== the raw-stream path (lintra --size) on every core: reading and writing beside the filter"
"$build/bench/lintra_bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.5 --benchmark_filter='^raw_pipe' "$@" | grep -v -E '_(mean|stddev|cv) '

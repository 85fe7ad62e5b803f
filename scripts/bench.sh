#!/usr/bin/env bash
# Builds q71-bench in Release and runs every benchmark: Google Benchmark's report, then a table of
# medians in which each path is set against its baseline from the same run. Extra arguments go to
# q71-bench (for instance --benchmark_filter=key_report).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

dir="$root/build/bench"
echo "=== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
cmake -S "$root" -B "$dir" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release -DQ71_BUILD_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target q71-bench

# Repetitions run in a random order, so that a burst of load from elsewhere on a shared machine
# falls on baselines and measured paths alike; the table takes the median of each.
QT_QPA_PLATFORM=offscreen "$dir/bench/q71-bench" \
    --benchmark_repetitions=9 \
    --benchmark_min_time=0.1 \
    --benchmark_enable_random_interleaving=true \
    --benchmark_report_aggregates_only=true \
    "$@"

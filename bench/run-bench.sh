#!/usr/bin/env bash
# Builds the optimised, unsanitized "bench" preset and runs the JSON benchmark,
# ending with the table of MB/s and ratios.
# usage: bench/run-bench.sh [DATA_DIR] [extra Google Benchmark flags...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target pocketjson_bench
data=${1:-$root/../shared/bench-data}
shift || true
exec "$root/build-bench/bin/pocketjson_bench" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.3 "$@" "$data"

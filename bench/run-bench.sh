#!/usr/bin/env bash
# Two parts, one after the other:
# 1. builds the optimised, unsanitized "bench" preset and runs the JSON
#    benchmark, ending with the table of MB/s and ratios;
# 2. builds request_bench of the "windows" preset and runs it under Wine: the
#    median and p99 time of requests through libmavel_x64.dll and the
#    stand-ins, each beside the bridge host's own cost for an answer of that
#    size, then calls/s of a request mix on 1 and 8 threads; once with the
#    library's logger silent, once with the logging stand-in (a few minutes).
# usage: bench/run-bench.sh [DATA_DIR] [extra Google Benchmark flags...]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset bench >/dev/null
cmake --build --preset bench --target pocketjson_bench
data=${1:-$root/../shared/bench-data}
shift || true
"$root/build-bench/bin/pocketjson_bench" \
  --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
  --benchmark_min_time=0.3 "$@" "$data"

echo
cmake --preset windows >/dev/null
cmake --build --preset windows --target request_bench
source "$root/tools/wine-session.sh"
start_wine_session "$root/build"
# First without a logger (the library's own cost, the 405 budget and the
# allocations), then with the logging stand-in writing every line to a file.
run_wine "$root/build/bin/request_bench.exe" --no-logger
echo
run_wine "$root/build/bin/request_bench.exe"

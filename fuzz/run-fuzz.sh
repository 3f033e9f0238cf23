#!/usr/bin/env bash
# Builds the JSON fuzzer with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# coverage for libFuzzer) in build-fuzz/ and runs it for a bounded time.
# usage: fuzz/run-fuzz.sh [SECONDS]   (default 60)
# Exits non-zero when the fuzzer finds a crash, a leak or a failed check.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAVEL_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" --target pocketjson_fuzzer

# New inputs go to a scratch folder; the checked-in seeds stay as they are.
work=$build/fuzz-corpus
mkdir -p "$work" "$build/fuzz-artifacts"
cd "$build"
"$build/bin/pocketjson_fuzzer" "$work" "$root/fuzz/corpus" \
  -dict="$root/fuzz/json.dict" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/"

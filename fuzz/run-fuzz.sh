#!/usr/bin/env bash
# Builds the fuzzers with clang (AddressSanitizer, UndefinedBehaviorSanitizer,
# coverage for libFuzzer) in build-fuzz/ and runs them for a bounded time,
# split evenly: the JSON parser, then the readers of request values.
# usage: fuzz/run-fuzz.sh [SECONDS]   (default 60, in total)
# Exits non-zero when a fuzzer finds a crash, a leak or a failed check.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
targets=(pocketjson_fuzzer value_fuzzer)

cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMAVEL_SANITIZE=ON \
  -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$build" -j2 --target "${targets[@]}"

share=$(( seconds / ${#targets[@]} ))
[ "$share" -ge 1 ] || share=1
mkdir -p "$build/fuzz-artifacts"
cd "$build"
for target in "${targets[@]}"; do
  # New inputs go to a scratch folder; the checked-in seeds stay as they are.
  work=$build/fuzz-corpus/$target
  mkdir -p "$work"
  echo "== $target, $share s"
  "$build/bin/$target" "$work" "$root/fuzz/corpus" \
    -dict="$root/fuzz/json.dict" -max_total_time="$share" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$target-"
done

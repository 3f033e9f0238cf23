#!/usr/bin/env bash
# A longer run of the hardening tests, by hand: the hostile corpus with more
# random calls and other seeds, the load test with more calls per thread and
# the memory run with more requests. Needs a Windows build (build/).
# usage: tools/soak.sh [FACTOR]   (default 10: ten times the CI sizes)
set -euo pipefail
factor=${1:-10}
root=$(cd "$(dirname "$0")/.." && pwd)
export MAVEL_DLL_OVERRIDES=cfgmgr32=n,b
export MAVEL_CORPUS_CALLS=$((20000 * factor))
export MAVEL_LOAD_CALLS=$((10000 * factor))
export MAVEL_MEMORY_CALLS=$((100000 * factor))
export MAVEL_LOAD_DEADLINE_S=$((300 * factor))
run() { "$root/cmake/sealed-prefix.sh" "$root/build/sealed-prefix" "$root/build/bin/hardening_tests.exe" "$@"; }
for seed in 101 202 303; do
  MAVEL_CORPUS_SEED=$seed run --gtest_filter='HostileInput.Every*'
done
run --gtest_filter='Load.*:Unloading.*'

#!/usr/bin/env bash
# Builds everything and runs every test: the Windows build under Wine, the
# portable JSON code natively with AddressSanitizer and UndefinedBehaviorSanitizer,
# the web contract, server and dashboard with Node.js and headless Chromium,
# and a bounded fuzzing run of the JSON parser.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# The npm packages of the web checks, again whenever package-lock.json changed.
if ! cmp -s package-lock.json node_modules/.mavel-package-lock.json; then
  npm ci --no-audit --no-fund --loglevel=error
  cp package-lock.json node_modules/.mavel-package-lock.json
fi
source tools/wine-session.sh

echo "== Windows build (MinGW-w64), tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
start_wine_session "$PWD/build"
ctest --preset windows

echo "== Native build with sanitizers"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

echo "== Fuzzing the JSON parser"
bash fuzz/run-fuzz.sh "${FUZZ_SECONDS:-60}"

#!/usr/bin/env bash
# A tour of every resource through mavel-cli --live: the library beside the
# live providers answers from this machine (under Wine, from the prefix).
# usage: live-tour.sh [--check] BUILD_DIR
#   without --check: prints each call and its answer, for people
#   with --check: prints one line per call and fails when a status differs
#                 from the one this environment is expected to answer
set -uo pipefail
check=false
if [ "${1:-}" = --check ]; then
  check=true
  shift
fi
build=$(cd "${1:?usage: live-tour.sh [--check] BUILD_DIR}" && pwd)
cli=$build/bin/mavel-cli.exe
wine_cli() { timeout 60 "$(dirname "$0")/../cmake/wine-run.sh" "$build/wineprefix" "$cli" "$@"; }
run() { wine_cli --live "$@"; }
run_after_screens() { wine_cli watch --live --seconds 0 --call Screens --call "$@"; }
# One call's status; after GET Screens, the status of the last answer.
status_of() {
  if [ "$1" = + ]; then
    shift
    run_after_screens "$@" 2>&1 | sed -n 's/.* < \([0-9]*\) .*/\1/p' | tail -n 1
  else
    shift
    run "$@" --raw 2>&1 | head -n 1 | tr -d '\r'
  fi
}

# Expected status, then the mavel-cli arguments (no spaces inside one). Where
# a call cannot answer 200 here, the reason is given. A status marked with +
# is that of a call made after GET Screens in the same process: the
# single-screen resources address the list that Screens enumerated.
tour=(
  "200|SystemInformation"
  "200|SystemProcesses"
  "200|SystemProcesses --params {\"process\":\"wineserver.exe\"}"
  "200|SystemUSBDevices"
  "200|SystemApplications"
  "200|SystemApplicationWindows"
  "200|SystemKEXT"
  "200|SystemPrinters"
  "200|SystemLoginState"
  "200|SystemLockState"
  "200|SystemScreenSaver"
  "200|SystemPreferredLanguage --query {\"resources\":\"en-US,fr-FR\",\"fallback\":\"en-US\"}"
  "200|Screens"
  "200|Screens -X PUT"
  "200+|ScreenAtIndex --params {\"index\":0}"
  "200+|ScreensForPoint --params {\"point\":\"1x1\"}"
  "200+|ScreenAtIndex --params {\"index\":0} --query {\"graphicsCard\":1}"
  # Wine's headless display driver has no colour profile for its display.
  "500+|ScreenAtIndex --params {\"index\":0} --query {\"profile\":1}"
  # Wine's display drivers keep no gamma ramps: GetDeviceGammaRamp fails.
  "500+|ScreenAtIndex --params {\"index\":0} --query {\"gamma\":1}"
  # No monitor has this serial and product (under Wine, no monitor has EDID data).
  "404+|ScreensForMonitor --params {\"serial\":\"0\",\"product\":\"none\"}"
  "200|Screens -X DELETE"
  "200|SystemLoginItem -X PUT --body {\"name\":\"Mavel-live-tour\",\"enable\":false}"
  # Wine writes no backup file; on Windows a second tour finds it there (500).
  "200|SystemEventLogBackup -X POST --body {\"srcPath\":\"Application\",\"dstPath\":\":temporary/mavel-live-tour.evtx\"}"
  "200|DeviceNotification --query {\"supports\":1}"
  "200|PowerManagementSettings -X POST"
  "200|PowerManagementSettings -X DELETE"
)

faults=0
for entry in "${tour[@]}"; do
  expected=${entry%%|*}
  after=${expected:3:1}
  expected=${expected:0:3}
  read -r -a arguments <<<"${entry#*|}"
  if ! $check; then
    if [ -n "$after" ]; then
      echo "\$ mavel-cli watch --live --seconds 0 --call Screens --call ${arguments[*]}"
      run_after_screens "${arguments[@]}"
    else
      echo "\$ mavel-cli --live ${arguments[*]}"
      run "${arguments[@]}"
    fi
    echo
    continue
  fi
  status=$(status_of "${after:--}" "${arguments[@]}")
  if [ "$status" = "$expected" ]; then
    echo "ok   $status ${arguments[*]}"
  else
    echo "FAIL ${arguments[*]}: answered $status, expected $expected"
    faults=$((faults + 1))
  fi
done
if $check && [ "$faults" -gt 0 ]; then
  echo "$faults call(s) answered otherwise"
  exit 1
fi

#!/usr/bin/env bash
# The main job: builds the library and asks it real questions through the
# command-line host, under Wine, against the demo world of the stand-ins.
# Extra arguments are passed to one mavel-cli call instead of the tour,
# for example: tools/demo.sh SystemInformation --query '{"os":1}'
# With --live first, the tour (or the one call) asks the library beside the
# live providers, which answer facts of this machine: tools/demo.sh --live
# tools/demo.sh serve [--port N] starts the dashboard and prints the address
# to open in a browser (Ctrl+C ends it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
source tools/wine-session.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target libmavel_x64 mavel-cli mavel_standins mavel_live
start_wine_session "$PWD/build"

if [ "${1:-}" = --live ]; then
  shift
  if [ $# -gt 0 ]; then
    run_wine build/bin/mavel-cli.exe --live "$@"
    exit $?
  fi
  bash tools/live-tour.sh build
  exit 0
fi

cli() { echo "\$ mavel-cli $*"; run_wine build/bin/mavel-cli.exe "$@" || true; echo; }

if [ "${1:-}" = serve ]; then
  # The configuration-manager stand-in lets the page see devices arrive.
  MAVEL_DLL_OVERRIDES="cfgmgr32=n,b" run_wine build/bin/mavel-cli.exe "$@"
  exit $?
fi
if [ $# -gt 0 ]; then
  run_wine build/bin/mavel-cli.exe "$@"
  exit $?
fi

cli --list
cli SystemInformation --query '{"os":1,"cpu":1,"memory":1}'
cli SystemProcesses
cli SystemProcesses --params '{"process":"explorer.exe"}'
cli SystemUSBDevices
cli SystemPrinters
cli SystemLoginState
cli SystemLockState
cli SystemPreferredLanguage --query '{"resources":"ja-JP,en-US","fallback":"en"}'
cli Screens --world tools/mavel-cli/one-screen-world.json --raw
cli watch --seconds 0 --call Screens --call ScreenAtIndex --params '{"index":1}' --query '{"graphicsCard":1}'
cli watch --call Screens -X PUT --then-world tools/mavel-cli/one-screen-world.json --send display-change --seconds 2
cli watch --seconds 0 --send session-lock --send time-change
cli DeviceNotification -X PUT --raw --log
cli devices
WINEDLLOVERRIDES="cfgmgr32=n,b;$WINEDLLOVERRIDES" cli watch --seconds 0 --plug monitor --unplug lighting
cli PowerManagementSettings -X POST --log
cli PowerManagementSettings -X DELETE
cli SystemInformation -X DELETE --log

#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix that belongs to the build.
# The prefix is created on first use: headless (null display driver) so that
# window creation works without an X server.
set -euo pipefail
# usage: wine-run.sh PREFIX PROGRAM [ARGS...]
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/.mavel-ready" ]; then
  mkdir -p "$WINEPREFIX"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.mavel-ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
      wineserver -w
      touch "$WINEPREFIX/.mavel-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"

#!/usr/bin/env bash
# Runs a Windows program under Wine in a prefix that belongs to the build.
# usage: wine-run.sh PREFIX PROGRAM [ARGS...]
#
# The prefix is created on first use, headless (null display driver) so that
# window creation works without an X server. One wineserver stays up between
# programs (until 30 s after the last one ends), so each test starts fast.
set -euo pipefail
# With the address space laid out at random, now and then something already
# lies where Wine maps the shared user data (0x7ffe0000): the program then
# ends at once with status 1 and prints nothing ("failed to map the shared
# user data" when err messages are on), a few runs in a thousand under
# parallel tests. So every Wine process here starts without address
# randomisation (which the processes it starts inherit).
unrandomized=(setarch "$(uname -m)" --addr-no-randomize)
export WINEPREFIX=$1
shift
export WINEDEBUG=${WINEDEBUG:--all}
# winemenubuilder would turn every test link in the Start Menu into a desktop
# entry of this machine, and keeps the link open while it reads it.
# MAVEL_DLL_OVERRIDES adds entries of a test's own, such as cfgmgr32=n,b to
# load the configuration-manager stand-in instead of Wine's builtin DLL.
WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export WINEDLLOVERRIDES=${MAVEL_DLL_OVERRIDES:+$MAVEL_DLL_OVERRIDES;}$WINEDLLOVERRIDES

mkdir -p "$WINEPREFIX"
(
  flock 9
  # Everything started under the lock closes fd 9: a server or service that
  # kept it would hold the lock for as long as it lives.
  if [ ! -f "$WINEPREFIX/.mavel-ready" ]; then
    "${unrandomized[@]}" wineboot -i 9>&- >/dev/null 2>&1 || true
    "${unrandomized[@]}" wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f 9>&- >/dev/null 2>&1
    wineserver -w 9>&-
    touch "$WINEPREFIX/.mavel-ready"
  fi
  # Wine's service processes start with the first program of a server and
  # live as long as it does. Started here, detached from our output, they
  # hold no pipe of the test runner open (which would make it wait for ever).
  if wineserver -p30 9>&- </dev/null >/dev/null 2>&1; then
    "${unrandomized[@]}" wine cmd /c exit 9>&- </dev/null >/dev/null 2>&1 || true
  fi
) 9>"$WINEPREFIX.lock"

exec "${unrandomized[@]}" wine "$@"

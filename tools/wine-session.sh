#!/usr/bin/env bash
# Sourced by the other scripts: the build's Wine prefix, created headless on
# first use, with one wineserver kept alive for the whole run.
wine_prefix() { echo "$1/wineprefix"; }

start_wine_session() {
  local build_dir=$1
  export WINEPREFIX
  WINEPREFIX=$(wine_prefix "$build_dir")
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The emulator script creates the prefix if needed; run something trivial through it.
  "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 || true
  # The server that command started lingers a few seconds; a persistent one
  # can only start once it is gone.
  wineserver -w
  wineserver -p
  # Wine's own service processes start with the first program and live as
  # long as the server; started here they hold no pipe of a test runner open.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}

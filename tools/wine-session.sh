#!/usr/bin/env bash
# Sourced by the other scripts: the build's Wine prefix (created headless on
# first use) with its server up, stopped when the script ends.
wine_prefix() { echo "$1/wineprefix"; }

start_wine_session() {
  local build_dir=$1
  export WINEPREFIX
  WINEPREFIX=$(wine_prefix "$build_dir")
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh" "$WINEPREFIX" cmd /c exit >/dev/null 2>&1 || true
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
}

# A program under Wine in the session's prefix, started as the tests start theirs.
run_wine() { "$(dirname "${BASH_SOURCE[0]}")/../cmake/wine-run.sh" "$WINEPREFIX" "$@"; }

#!/usr/bin/env bash
# Runs a Windows program under Wine in a throw-away prefix that reaches no
# file outside itself: every drive but C: (which lies inside the prefix) is
# removed before each run, the program and the DLLs beside it are copied to
# C:\bin and run from there, and the run starts in C:\scratch. Tests whose
# requests delete or write files wherever a request names them run here.
# usage: sealed-prefix.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$1
program=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

mkdir -p "$prefix"
(
  flock 8
  if [ ! -f "$prefix/.sealed" ]; then
    "$here/wine-run.sh" "$prefix" cmd /c exit 8>&- </dev/null >/dev/null 2>&1
    # The mount manager makes the drives it has on record again at every
    # start, so the record goes too: all but C:, whose data every volume of
    # C: shares.
    devices='HKLM\System\MountedDevices'
    record=$("$here/wine-run.sh" "$prefix" reg query "$devices" 8>&- 2>/dev/null | tr -d '\r')
    drive_c=$(awk '$1 == "\\DosDevices\\C:" {print $3}' <<<"$record")
    awk -v keep="$drive_c" '$2 ~ /^REG_/ && $3 != keep {print $1}' <<<"$record" | while read -r name; do
      "$here/wine-run.sh" "$prefix" reg delete "$devices" /v "$name" /f 8>&- </dev/null >/dev/null 2>&1
    done
    WINEPREFIX=$prefix wineserver -k 8>&- || true
    WINEPREFIX=$prefix wineserver -w 8>&-
    touch "$prefix/.sealed"
  fi
  for drive in "$prefix"/dosdevices/*; do
    case ${drive##*/} in
      c:) ;;
      *) rm -f "$drive" ;;
    esac
  done
  # Checked rather than trusted: a drive that survived would expose this machine.
  left=$(find "$prefix/dosdevices" -mindepth 1 -maxdepth 1 ! -name c: | wc -l)
  target=$(cd "$prefix/dosdevices/c:" && pwd -P)
  if [ "$left" -ne 0 ] || [ "$target" != "$(cd "$prefix/drive_c" && pwd -P)" ]; then
    echo "sealed-prefix: $prefix still maps drives outside itself" >&2
    exit 1
  fi
  mkdir -p "$prefix/drive_c/scratch" "$prefix/drive_c/bin"
  cp -u "$program" "$(dirname "$program")"/*.dll "$prefix/drive_c/bin/"
) 8>"$prefix.seal.lock"

cd "$prefix/drive_c/scratch"
exec "$here/wine-run.sh" "$prefix" "C:\\bin\\$(basename "$program")" "$@"

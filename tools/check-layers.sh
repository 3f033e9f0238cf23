#!/usr/bin/env bash
# Checks that includes between the library's folders run one way, top to
# bottom:
#   exports -> system | screens | notification -> bridge -> platform -> result -> pocketjson
# The three resource families never include each other, except that
# notification may include screens. The stand-ins and the live providers take
# from the library's tree only the closed libraries' binary interface, the
# handle owners and the locks, and the library never includes a provider.
# usage: check-layers.sh [SOURCE_ROOT]
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

rank() {
  case $1 in
    pocketjson) echo 0 ;;
    result) echo 1 ;;
    platform) echo 2 ;;
    bridge) echo 3 ;;
    system | screens | notification) echo 4 ;;
    exports) echo 5 ;;
    *) echo -1 ;;
  esac
}

allowed() {  # from to
  [ "$1" = "$2" ] && return 0
  [ "$1" = notification ] && [ "$2" = screens ] && return 0
  local from to
  from=$(rank "$1")
  to=$(rank "$2")
  [ "$to" -ge 0 ] && [ "$to" -lt "$from" ]
}

faults=0
while IFS=: read -r file line text; do
  from=${file#src/}
  from=${from%%/*}
  to=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$text")
  [ "$(rank "$to")" -lt 0 ] && continue
  if ! allowed "$from" "$to"; then
    echo "$file:$line: $from must not include $to: $text"
    faults=$((faults + 1))
  fi
done < <(grep -rnE '^#include "[^/"]+/' src --include='*.h' --include='*.cpp')

while IFS=: read -r file line text; do
  case $text in
    *'"platform/closed_libraries.h"'* | *'"platform/handle_owner.h"'* | *'"platform/locks.h"'*) ;;
    *)
      echo "$file:$line: a stand-in or provider includes the library's own code: $text"
      faults=$((faults + 1))
      ;;
  esac
done < <(grep -rnE '^#include "(pocketjson|result|platform|bridge|system|screens|notification|exports)/' standins providers \
  --include='*.h' --include='*.cpp' || true)

while IFS=: read -r file line text; do
  echo "$file:$line: the library includes a provider: $text"
  faults=$((faults + 1))
done < <(grep -rnE '^#include "(provider/|(edid|screens|identifiers|graphics|snapshots|system_facts)\.h")' src \
  --include='*.h' --include='*.cpp' || true)

if [ "$faults" -gt 0 ]; then
  echo "$faults include(s) against the layering"
  exit 1
fi
echo "layering: every include runs downward"

#!/bin/bash
# The layers point down only: app uses the clients, ui and server; they use engine; engine
# uses nothing above it. Prints every include that points up and fails when there is one.
src=${1:-$(cd "$(dirname "$0")/../src" && pwd)}
bad=0
check() {  # folder, the folders it must not include
  local folder=$1; shift
  for above in "$@"; do
    if grep -rn "#include \"$above/" "$src/$folder"; then bad=1; fi
  done
}
check engine app orv pel ui server
check orv app pel ui server
check pel app orv ui server
check ui app orv pel server
check server app orv pel ui
[ $bad -eq 0 ] && echo "layers: every include points down"
exit $bad

#!/bin/bash
# The layers point down only: app uses the clients, ui and server; they use engine; engine
# uses nothing above it. Inside the engine every file lives in a sub-folder of its kind, and a
# sub-folder includes only from itself and from the levels below it. The system's registry
# functions are called in the registry module alone. Prints every breach and fails when there
# is one.
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

# The engine's sub-folders from the bottom up; folders on one line share a level and do not
# include each other.
levels=(
  "text"
  "core"
  "rules"
  "registry files"
  "system"
  "accounts"
  "safety"
  "run"
  "backup"
  "removal"
  "catalogue"
)
declare -A level
for i in "${!levels[@]}"; do
  for folder in ${levels[$i]}; do level[$folder]=$i; done
done

for file in "$src"/engine/*.h "$src"/engine/*.cpp; do
  [ -e "$file" ] || continue
  echo "$file: an engine file outside the sub-folders"
  bad=1
done
for folder in "$src"/engine/*/; do
  folder=$(basename "$folder")
  if [ -z "${level[$folder]}" ]; then
    echo "src/engine/$folder: a sub-folder without a level in tests/check-layers.sh"
    bad=1
    continue
  fi
  while IFS=: read -r file line target; do
    [ "$target" = "$folder" ] && continue
    if [ -z "${level[$target]}" ] || [ "${level[$target]}" -ge "${level[$folder]}" ]; then
      echo "$file:$line: engine/$folder includes engine/$target, which is not below it"
      bad=1
    fi
  done < <(grep -rnoE '#include "engine/[a-z_0-9]+/' "$src/engine/$folder" |
           sed -E 's|#include "engine/([a-z_0-9]+)/|\1|')
done

# Raw registry calls: only the registry module makes them (and the key handle closes itself).
registry_calls='\bReg(Open|Create|Delete|Enum|Query|Set|Load|UnLoad|Unload|Flush|Save|Restore|Replace|Connect|Notify|Override|Copy|Get|Rename)[A-Za-z]*\s*\('
if grep -rnE "$registry_calls" "$src" --include=*.cpp --include=*.h |
   grep -v "^$src/engine/registry/registry.cpp:"; then
  echo "raw registry calls outside src/engine/registry/registry.cpp"
  bad=1
fi

[ $bad -eq 0 ] && echo "layers: every include points down, registry calls stay in the registry module"
exit $bad

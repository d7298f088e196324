#!/bin/bash
# Puts into a test's own fresh Wine prefix what Windows code cannot make under Wine: in the
# data folder of the profile 圭介, a link "Tolvikx" beside where the folder "Tolvikx表" goes,
# pointing at a folder with files. The link is relative and stays inside the prefix.
#   make-cp932-machine.sh PREFIX
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c" ] || { echo "make-cp932-machine: no prefix at $prefix" >&2; exit 1; }
data="$prefix/drive_c/users/圭介/AppData/Roaming/Varenta"
victim="$prefix/drive_c/cp932-victim"
mkdir -p "$data" "$victim/sub"
echo keep >"$victim/keep.txt"
echo keep >"$victim/sub/keep.txt"
ln -s ../../../../../cp932-victim "$data/Tolvikx"

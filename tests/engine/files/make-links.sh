#!/bin/bash
# Puts directory symbolic links into a test's own fresh Wine prefix (Windows code cannot make
# them under Wine; Wine shows such a link as a directory reparse point, like a junction).
#   make-links.sh PREFIX
# Every link is relative and points at a folder inside the same tree below drive_c, never
# outside the prefix.
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c" ] || { echo "make-links: no prefix at $prefix" >&2; exit 1; }
root="$prefix/drive_c/purgon-links"
rm -rf "$root"
mkdir -p "$root/target/deeper" "$root/tree/sub"
echo keep >"$root/target/keep.txt"
echo keep >"$root/target/deeper/keep.txt"
echo x >"$root/tree/a.txt"
echo x >"$root/tree/sub/b.txt"
ln -s ../target "$root/tree/link"      # a junction inside the tree
ln -s ../../target "$root/tree/sub/link2"
ln -s target "$root/named"             # a junction as the named folder
# Links in the middle of a path, to the profiles root and to the drive (both inside the prefix).
ln -s ../users "$root/docs"            # as "Documents and Settings" links to "Users"
ln -s .. "$root/croot"
# Names planted where the log is written: a link to a file with one name (Wine shows it as a
# plain file), and a link that points at nothing yet.
mkdir -p "$root/log" "$root/dangling"
echo precious >"$root/log/victim.txt"
ln -s victim.txt "$root/log/purgon.log"
ln -s victim.txt "$root/dangling/purgon.log"

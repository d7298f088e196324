#!/bin/bash
# Backups folders as another user could leave them, made from the Linux side in a test's own
# fresh Wine prefix: Wine keeps a folder's permissions only as Unix mode bits (o+w reads back
# as Everyone with write access) and shows a Unix link to a folder as a reparse point.
#   make-backup-roots.sh PREFIX
# Every link is relative and points inside the same tree below drive_c.
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c" ] || { echo "make-backup-roots: no prefix at $prefix" >&2; exit 1; }
root="$prefix/drive_c/purgon-roots"
rm -rf "$root"
mkdir -p "$root/fresh" "$root/elsewhere" "$root/open/Purgon" "$root/open-backups/Purgon/backups" \
  "$root/linked"
chmod 755 "$root"/* "$root/open-backups/Purgon"
chmod 777 "$root/open/Purgon" "$root/open-backups/Purgon/backups"
ln -s ../elsewhere "$root/linked/Purgon"
# A backups folder holding a genuine backup, a newer one everyone may write to, a link, and
# names that are no backups.
backups="$root/planted/Purgon/backups"
mkdir -p "$backups/20261209-101500" "$backups/20261209-101501" "$backups/20261209-101502.restored"
chmod 755 "$root/planted" "$root/planted/Purgon" "$backups" "$backups/20261209-101500"
chmod 777 "$backups/20261209-101501"
ln -s ../../../elsewhere "$backups/20261209-101459"
echo planted >"$backups/20991231-235959"
echo notes >"$backups/notes.txt"

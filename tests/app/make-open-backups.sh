#!/bin/bash
# A backups folder another user may write to, made from the Linux side in a test's own fresh
# Wine prefix (Wine keeps a folder's permissions only as Unix mode bits: o+w reads back as
# Everyone with write access).
#   make-open-backups.sh PREFIX
set -euo pipefail
prefix=$1
[ -d "$prefix/drive_c/ProgramData" ] || { echo "make-open-backups: no prefix at $prefix" >&2; exit 1; }
mkdir -p "$prefix/drive_c/ProgramData/Purgon/backups"
chmod 755 "$prefix/drive_c/ProgramData/Purgon"
chmod 777 "$prefix/drive_c/ProgramData/Purgon/backups"

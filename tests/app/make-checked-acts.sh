#!/bin/bash
# Plants, from the Linux side, what checked_acts_test meets in its own fresh Wine prefix
# (Windows code cannot make links or hard links, set Unix modes or place a folder on another
# file system under Wine).
#   make-checked-acts.sh PREFIX
# Every link is relative and leads to a folder inside drive_c that holds files: under Wine,
# deleting a link to an empty folder deletes that folder.
set -euo pipefail
. "$(dirname "$0")/../wine/planting.sh"
purgon_planting make-checked-acts "$1"
data="$roaming/Varenta"
mkdir -p "$data"

# Folder twins that differ only in case. The data folder of configuration "Main" is asked for;
# the user's folder MAIN stands beside links main and mAin to other folders. Five levels up
# from the data root is drive_c.
mkdir -p "$c/acc-victim" "$c/Program Files/OtherVendor" "$data/MAIN"
echo keep >"$c/acc-victim/keep.txt"
echo keep >"$c/Program Files/OtherVendor/keep.txt"
echo mine >"$data/MAIN/nprefs_db.xml"
ln -s ../../../../../acc-victim "$data/main"
ln -s "../../../../../Program Files/OtherVendor" "$data/mAin"
# Configuration "Other" has its folder spelled exactly so, beside a link "other".
mkdir -p "$c/acc-victim2" "$data/Other"
echo keep >"$c/acc-victim2/keep.txt"
echo mine >"$data/Other/nprefs_db.xml"
ln -s ../../../../../acc-victim2 "$data/other"

# A folder under the drive root that everyone may change (on Windows, a folder a user makes
# there grants Authenticated Users "Modify"; under Wine the DACL follows the mode bits).
mkdir -p "$c/acc"
chmod o+w "$c/acc"

# A file only its owner may read, and a second name of it in configuration "Linked"'s data
# folder; beside it a file of one name that only its owner may read.
mkdir -p "$c/acc-secret" "$data/Linked"
echo secret >"$c/acc-secret/secret.txt"
chmod 600 "$c/acc-secret/secret.txt"
ln "$c/acc-secret/secret.txt" "$data/Linked/nprefs_db.xml"
echo helpers >"$data/Linked/nhelpers.xml"
chmod 600 "$data/Linked/nhelpers.xml"

# C:\ProgramData, where the backups go, on another file system than the data: a removed
# file is copied into the backup rather than moved. The folder is named for wine-run.sh to
# remove with the prefix.
[ -d /dev/shm ] || { echo "make-checked-acts: no /dev/shm for another file system" >&2; exit 1; }
outside=$(mktemp -d /dev/shm/purgon-programdata.XXXXXX)
echo "$outside" >>"$1/.outside"
mv "$c/ProgramData" "$outside/ProgramData"
ln -s "$outside/ProgramData" "$c/ProgramData"

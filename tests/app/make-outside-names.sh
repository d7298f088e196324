#!/bin/bash
# Plants the directory links of outside_names_test into its own fresh Wine prefix (Windows
# code cannot make them under Wine).
#   make-outside-names.sh PREFIX
# Every link is relative and leads to a folder inside drive_c that holds files: under Wine,
# deleting a link to an empty folder deletes that folder.
set -euo pipefail
. "$(dirname "$0")/../wine/planting.sh"
purgon_planting make-outside-names "$1"

# The running account's data folder of configuration "blankcfg": "sub " (a trailing blank)
# leads to another folder. Six levels up is drive_c.
mkdir -p "$c/victim-blank/deeper" "$roaming/Varenta/blankcfg"
echo keep >"$c/victim-blank/keep.txt"
echo keep >"$c/victim-blank/deeper/keep.txt"
ln -s ../../../../../../victim-blank "$roaming/Varenta/blankcfg/sub "

# Another account's data root as a link to another program's folder. It waits in
# AppData\parked (the depth of AppData\Roaming) until the test renames that folder, so that
# the other runs of the test never meet it.
vendor="$c/Program Files/OtherVendor"
mkdir -p "$vendor/orvdata" "$vendor/orvm" "$c/users/mallory/AppData/parked"
echo keep >"$vendor/orvdata/keep.txt"
echo keep >"$vendor/orvm/keep.txt"
echo keep >"$vendor/orvsettings.ini"
ln -s "../../../../Program Files/OtherVendor" "$c/users/mallory/AppData/parked/Varenta"

# purgon.log as a link to a folder, where a run starts.
mkdir -p "$c/victim-log" "$c/purgon-loglink"
echo keep >"$c/victim-log/keep.txt"
ln -s ../victim-log "$c/purgon-loglink/purgon.log"

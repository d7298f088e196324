# Sourced by the scripts that plant, from the Linux side, what a test meets in its own fresh
# Wine prefix (PURGON_PREFIX_SETUP). Sets `c` (the prefix's drive_c) and `roaming` (the one
# profile's AppData\Roaming), or stops when the prefix is not one with one profile.
#   purgon_planting NAME PREFIX
purgon_planting() {
  local name=$1 prefix=$2 found
  c="$prefix/drive_c"
  [ -d "$c/users" ] || { echo "$name: no prefix at $prefix" >&2; exit 1; }
  shopt -s nullglob
  found=("$c"/users/*/AppData/Roaming)
  [ ${#found[@]} = 1 ] || { echo "$name: not one profile in $prefix" >&2; exit 1; }
  roaming=${found[0]}
}

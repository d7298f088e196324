#!/bin/bash
# Makes a sandboxed Wine prefix for tests and demos, 32-bit unless asked otherwise.
#   make-prefix.sh PREFIX ZDRIVE [WINVER] [ARCH]
# PREFIX is created (replaced if present); ZDRIVE is the folder drive Z: points at (the build
# tree, never /); WINVER optionally sets the reported Windows version ("win98", "winxp"; ""
# for the default); ARCH "win64" makes a 64-bit prefix, where the 32-bit program runs under
# WoW64 (slower to make and twice the size: only for the tests that need it). PURGON_WINE names
# the Wine loader to start with (default: the `wine` script); a 64-bit build's prefixes are
# made with the 64-bit loader.
# The program under test deletes files and runs as root: every profile folder that Wine
# links to $HOME becomes a real, empty folder, so nothing outside the prefix can be reached
# through the profile, and Z: no longer maps the whole file system.
set -euo pipefail
prefix=$1
zdrive=$2
winver=${3:-}
arch=${4:-win32}

export WINEPREFIX=$prefix WINEARCH=$arch WINEDEBUG=-all
# Wine keeps file names in the locale's character set: with UTF-8 every name can be spelled,
# whatever the caller's locale (a bare root shell may have none).
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY

rm -rf "$prefix"
mkdir -p "$prefix"
# Written before the first Wine process, so that even wineboot runs headless.
{
  printf 'WINE REGISTRY Version 2\n#arch=%s\n\n' "$arch"
  printf '[Software\\\\Wine\\\\Drivers]\n"Graphics"="null"\n\n'
  if [ -n "$winver" ]; then printf '[Software\\\\Wine]\n"Version"="%s"\n\n' "$winver"; fi
} >"$prefix/user.reg"

loader=${PURGON_WINE:-wine}
[ "$loader" != wine ] && export WINELOADER=$loader
code=0
"$loader" wineboot -i </dev/null >"$prefix/wineboot.log" 2>&1 || code=$?
if [ "$code" -ne 0 ]; then
  . "$(dirname "$0")/../../scripts/test-arch.sh"
  purgon_wine_failed make-prefix "$code" "$prefix/wineboot.log"
  exit 1
fi
wineserver -w

sandbox() {
  find "$prefix/drive_c/users" -type l | while read -r link; do
    rm -f "$link"
    mkdir -p "$link"
  done
  rm -f "$prefix/dosdevices/z:"
  ln -s "$(cd "$zdrive" && pwd)" "$prefix/dosdevices/z:"
}
sandbox
# Refuse to hand out a prefix that still reaches outside itself.
if [ -n "$(find "$prefix/drive_c/users" -type l)" ]; then
  echo "make-prefix: symbolic links left under drive_c/users" >&2
  exit 1
fi

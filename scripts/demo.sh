#!/bin/bash
# Builds Purgon and runs its main job on a demo machine: a fresh, sandboxed Wine prefix with
# the clients installed. Prints the command, the exit code and purgon.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win >/dev/null
build=$root/build/win
prefix=$build/wine/demo
echo "== preparing the demo machine (Wine prefix $prefix)"
"$root/tests/wine/make-prefix.sh" "$prefix" "$build"
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
wine "$build/bin/demo_machine.exe" </dev/null 2>&1 | tr -d '\r'
work=$prefix/drive_c/purgon-demo
mkdir -p "$work"
cp "$build/bin/purgon.exe" "$work/"
# A keyword without a number asks for every step ("-" would only separate words).
args="/pel /orv /ql /l /s"
set +e
# First a look: the preview lists what the removal will delete and changes nothing.
echo "== C:\\purgon-demo\\purgon.exe $args /preview"
(cd "$work" && wine "$work/purgon.exe" $args /preview </dev/null >/dev/null 2>&1)
echo "== exit code $? (1: something found); $(grep -c . "$work/purgon.log") items found, the first:"
tr -d '\r' <"$work/purgon.log" | head -5
echo "== C:\\purgon-demo\\purgon.exe $args"
(cd "$work" && wine "$work/purgon.exe" $args </dev/null >/dev/null 2>&1)
rc=$?
set -e
wineserver -w
echo "== exit code $rc; purgon.log:"
tr -d '\r' <"$work/purgon.log"
echo "== $(grep -c . "$work/purgon.log" || true) log lines"

#!/bin/bash
# Builds Purgon and runs its main job on a demo machine: a fresh, sandboxed Wine prefix with
# the clients installed. Prints the command, the exit code and purgon.log, then checks the
# machine: the exit code is 0 when nothing of the clients is left, 1 when something is.
# Where this machine runs no 32-bit code, the 64-bit build of the same sources runs in a
# 64-bit prefix (scripts/test-arch.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
echo "== Purgon demo: setup (only what is missing), build, demo machine, removal, check"
"$root/scripts/setup.sh"
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root" quiet
"$root/scripts/build.sh" demo
build=$PURGON_WIN_BUILD
prefix=$build/wine/demo
echo "== preparing the demo machine (a new $PURGON_TEST_ARCH Wine prefix, $prefix)"
PURGON_WINE=$PURGON_WINE "$root/tests/wine/make-prefix.sh" "$prefix" "$build" "" "$PURGON_TEST_ARCH"
wine() { "$PURGON_WINE" "$@"; }
[ "$PURGON_TEST_ARCH" = win64 ] && export WINELOADER=$PURGON_WINE
export WINEPREFIX=$prefix WINEARCH=$PURGON_TEST_ARCH WINEDEBUG=-all
# Wine keeps file names in the locale's character set: with UTF-8 every name can be spelled,
# whatever the caller's locale (a bare root shell may have none).
export LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
unset DISPLAY WAYLAND_DISPLAY
# One Wine session for the whole demo: Wine's start-up acts out a reboot (it runs the queue of
# file operations pending for the next start of Windows), so it runs once, before the demo
# machine is installed, and not again before the check. The session ends with the script.
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
wine wineboot </dev/null >/dev/null 2>&1
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
echo "== exit code $rc; purgon.log:"
tr -d '\r' <"$work/purgon.log"
echo "== $(grep -c . "$work/purgon.log" || true) log lines"

echo "== checking the demo machine for every item of the clients it was given"
set +e
wine "$build/bin/demo_machine.exe" check </dev/null 2>&1 | tr -d '\r'
clean=${PIPESTATUS[0]}
set -e
exit "$clean"

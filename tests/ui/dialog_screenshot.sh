#!/bin/bash
# Takes a PNG of the options dialog as users see it: the real purgon.exe, started without
# arguments, under Wine with an X display (Xvfb) in a throw-away sandboxed prefix.
#   dialog_screenshot.sh BUILD_DIR OUT.png      (e.g. build/win docs/options-dialog.png)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
out=$2
display=:${PURGON_SCREENSHOT_DISPLAY:-77}

work=$(mktemp -d "$build/wine/shot.XXXXXX")
prefix=$work/prefix
xvfb_pid=
cleanup() {
  WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

"$here/../wine/make-prefix.sh" "$prefix" "$build"
# The test prefix has the null graphics driver; this copy draws on the X display. There is
# no window manager, so Wine shows a virtual desktop and draws frames and captions itself.
sed -i 's/"Graphics"="null"/"Graphics"="x11"/' "$prefix/user.reg"
printf '[Software\\\\Wine\\\\Explorer]\n"Desktop"="Default"\n\n' >>"$prefix/user.reg"
printf '[Software\\\\Wine\\\\Explorer\\\\Desktops]\n"Default"="800x600"\n\n' >>"$prefix/user.reg"

mkdir "$work/fb"
Xvfb "$display" -screen 0 800x600x24 -fbdir "$work/fb" -nocursor -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all DISPLAY=$display
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
(cd "$work" && wine "$build/bin/purgon.exe" </dev/null >/dev/null 2>&1 &)
sleep "${PURGON_SCREENSHOT_WAIT:-6}"
python3 "$here/xwd_to_png.py" "$work/fb/Xvfb_screen0" "$out"
echo "wrote $out"

# Sourced by the scripts: decides once which way the Windows code is tested here and says so.
#   PURGON_TEST_ARCH=win32  the 32-bit build in 32-bit prefixes (fails where 32-bit code cannot run)
#   PURGON_TEST_ARCH=win64  the same sources built for x86-64, in 64-bit prefixes
#   unset                   win32 when this machine runs 32-bit programs, else win64
# Sets PURGON_TEST_ARCH, PURGON_WIN_BUILD (the build tree the Windows tests run from) and
# PURGON_WINE (the Wine loader to start programs with), and exports them, so that scripts
# started from here decide nothing again.

# Wine's two loaders, as Debian installs them. The `wine` script on the path picks the 32-bit
# one whenever it is installed, so the 64-bit one is called directly.
purgon_wine32=$(dpkg -L wine32 2>/dev/null | grep -m1 '/wine/wine$' || true)
purgon_wine32=${purgon_wine32:-/usr/lib/wine/wine}
purgon_wine64=$(dpkg -L wine64 2>/dev/null | grep -m1 '/wine/wine64$' || true)
purgon_wine64=${purgon_wine64:-/usr/lib/wine/wine64}

# True when Wine's 32-bit loader starts. On a kernel without 32-bit emulation it fails at
# once with "Exec format error" (exit 126); the first words it printed are kept for the line
# that says which way the tests go.
purgon_runs_32bit() {
  local said code
  said=$("$purgon_wine32" --version 2>&1) && return 0
  code=$?
  purgon_why32=$(head -1 <<<"$said" | sed "s/^.*line [0-9]*: //")
  purgon_why32="${purgon_why32:-$purgon_wine32 did not start} (exit code $code)"
  return 1
}

# purgon_decide_arch ROOT [quiet]: "quiet" when setup has already said which way.
purgon_decide_arch() {
  local root=$1 say=echo
  [ "${2:-}" = quiet ] && say=:
  if [ -n "${PURGON_ARCH_DECIDED:-}" ]; then return 0; fi
  case "${PURGON_TEST_ARCH:-}" in
    win32)
      if ! purgon_runs_32bit; then
        echo "arch: PURGON_TEST_ARCH=win32, but this machine cannot run 32-bit programs:" >&2
        echo "arch:   $purgon_why32" >&2
        echo "arch:   its kernel has no 32-bit emulation (boot it with ia32_emulation=on), or take" >&2
        echo "arch:   the 64-bit way: PURGON_TEST_ARCH=win64 (or leave the variable unset)" >&2
        return 1
      fi
      $say "arch: win32 (asked for): the 32-bit build in 32-bit prefixes" ;;
    win64)
      $say "arch: win64 (asked for): the same sources built for x86-64 and tested in 64-bit" \
        "prefixes; purgon.exe itself stays the 32-bit build" ;;
    "")
      if purgon_runs_32bit; then
        PURGON_TEST_ARCH=win32
        $say "arch: win32: this machine runs 32-bit programs; the 32-bit build in 32-bit prefixes"
      else
        PURGON_TEST_ARCH=win64
        $say "arch: win64: this machine runs no 32-bit code ($purgon_why32); the same sources" \
          "built for x86-64 are tested in 64-bit prefixes (PURGON_TEST_ARCH=win32 insists on 32-bit)"
      fi ;;
    *)
      echo "arch: PURGON_TEST_ARCH must be win32, win64 or unset, not '$PURGON_TEST_ARCH'" >&2
      return 1 ;;
  esac
  if [ "$PURGON_TEST_ARCH" = win64 ]; then
    PURGON_WIN_BUILD=$root/build/win64
    PURGON_WINE=$purgon_wine64
  else
    PURGON_WIN_BUILD=$root/build/win
    PURGON_WINE=$purgon_wine32
  fi
  PURGON_ARCH_DECIDED=1
  export PURGON_TEST_ARCH PURGON_WIN_BUILD PURGON_WINE PURGON_ARCH_DECIDED
}

# Stops with what Wine itself said when it cannot start at all, never a bare exit code.
#   purgon_wine_failed WHAT CODE LOGFILE
purgon_wine_failed() {
  echo "$1: Wine could not start (exit code $2). Its last words:" >&2
  tail -5 "$3" 2>/dev/null | sed 's/^/  | /' >&2
  if grep -q 'Exec format error' "$3" 2>/dev/null; then
    echo "$1: this kernel runs no 32-bit code; PURGON_TEST_ARCH=win64 (or unset) tests the" \
      "64-bit build instead" >&2
  else
    echo "$1: see the whole output in $3; 'scripts/setup.sh' installs Wine when it is missing" >&2
  fi
}

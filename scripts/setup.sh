#!/bin/bash
# Installs what building and testing Purgon needs on Debian, when it is missing:
# the MinGW-w64 cross compilers and tools, Wine (32-bit), GoogleTest sources, CMake, Ninja,
# and Debian's locale sources, from which the Japanese locale one test runs Wine in is built
# into build/locale (nothing system-wide).
# Then decides which way the Windows code is tested (scripts/test-arch.sh) and, where this
# machine runs no 32-bit code, adds the x86-64 cross compiler for the 64-bit way.
# Says what it changes on the machine and shows apt's progress, one line per step.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have i686-w64-mingw32-widl || need+=(mingw-w64-tools)
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if ! have wine || ! dpkg -s wine32:i386 >/dev/null 2>&1; then need+=(wine wine32:i386 wine64); fi
have flock || need+=(util-linux)
[ -f /usr/share/i18n/locales/ja_JP ] || need+=(locales)
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp /tmp/purgon-setup.XXXXXX)
trap 'rm -f "$log"' EXIT
fail() { echo "setup: $1 failed; apt said:"; tail -20 "$log"; exit 1; }

# apt_update: a mirror being synced fails an index now and then ("File has unexpected size");
# a few tries with a short pause usually get past it. An index still missing afterwards is
# not the end: the install below decides whether what it needs is there.
apt_update() {
  local try tries=4
  for ((try = 1; try <= tries; try++)); do
    echo "setup: apt-get update (try $try of $tries)"
    if apt-get update -q 2>&1 | sed -u 's/^/setup:   /'; [ "${PIPESTATUS[0]}" -eq 0 ]; then
      return 0
    fi
    if [ "$try" -lt "$tries" ]; then
      echo "setup: an index failed to download; trying again in $((try * 5)) s"
      sleep $((try * 5))
    fi
  done
  echo "setup: an index is still missing after $tries tries; going on, the install decides"
}

# plan PACKAGES...: sets plan_opts to the apt options the install can be planned with, and
# plan_count to the number of packages it installs. When an updates suite has moved on for
# one architecture only (its i386 index failed, or is older), the 32-bit packages no longer
# match their 64-bit twins and apt finds "held broken packages"; the release's own suite
# still has matching pairs, so the plan is made again preferring it.
plan() {
  local said
  plan_opts=()
  if said=$(apt-get install -s "$@" 2>&1); then
    plan_count=$(grep -c '^Inst ' <<<"$said" || true)
    return 0
  fi
  local release
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  if [ -n "$release" ] && said=$(apt-get install -s -o APT::Default-Release="$release" "$@" 2>&1)
  then
    echo "setup: apt could not plan the install from the newest suites (32-bit and 64-bit" \
      "versions differ); planning again preferring $release's own packages"
    plan_opts=(-o APT::Default-Release="$release")
    plan_count=$(grep -c '^Inst ' <<<"$said" || true)
    return 0
  fi
  echo "setup: apt-get install cannot be planned; apt said:"
  grep -v '^\(Inst\|Conf\) ' <<<"$said" | tail -20
  exit 1
}

# install PACKAGES...: apt-get install with one line per tenth of each stage.
install() {
  echo "setup: installing $* (with what they depend on; see the README for disk and time)"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture to dpkg (32-bit Wine needs it)"
    dpkg --add-architecture i386
  fi
  apt_update
  plan "$@"
  echo "setup: apt-get install: $plan_count packages to download, unpack and set up"
  # apt's machine-readable status (fd 3) becomes one line per tenth of each stage. Its lines are
  # "dlstatus:N:PERCENT:TEXT" and "pmstatus:PACKAGE:PERCENT:TEXT", where PACKAGE may hold a
  # colon (wine32:i386): the percent is the field before the last.
  { apt-get install -y -q -o APT::Status-Fd=3 "${plan_opts[@]}" "$@" 3>&1 >"$log" 2>&1 ||
      echo "failed:"; } |
    awk -F: '
      $1 == "failed" { failed = 1; next }
      $1 == "dlstatus" || $1 == "pmstatus" {
        stage = ($1 == "dlstatus") ? "downloading" : "installing"
        tenth = int($(NF - 1) / 10)
        if (stage != last || tenth != lastTenth) {
          printf "setup:   %-11s %3d%%  %s\n", stage, tenth * 10, $NF; fflush()
          last = stage; lastTenth = tenth
        }
      }
      END { exit failed }' || fail "apt-get install"
  echo "setup: done"
}

[ ${#need[@]} -eq 0 ] || install "${need[@]}"

# Wine under this locale gives Windows programs code page 932 (Shift-JIS), where the second
# byte of many characters is a backslash. Built aside and moved into place, so that a broken
# run leaves no half locale behind.
locales=$root/build/locale
if [ ! -f "$locales/ja_JP.UTF-8/LC_CTYPE" ]; then
  echo "setup: building the ja_JP.UTF-8 locale into build/locale"
  rm -rf "$locales/ja_JP.UTF-8.new"
  mkdir -p "$locales"
  # localedef exits with 1 after mere warnings: what counts is the locale it wrote.
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8.new" >"$log" 2>&1 || true
  if [ ! -f "$locales/ja_JP.UTF-8.new/LC_CTYPE" ]; then
    echo "setup: localedef failed; it said:"; tail -5 "$log"; exit 1
  fi
  rm -rf "$locales/ja_JP.UTF-8"
  mv "$locales/ja_JP.UTF-8.new" "$locales/ja_JP.UTF-8"
fi
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root" || exit 1
if [ "$PURGON_TEST_ARCH" = win64 ] && ! have x86_64-w64-mingw32-g++-posix; then
  install g++-mingw-w64-x86-64
fi

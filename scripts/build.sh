#!/bin/bash
# Builds Purgon for Windows (cross, build/win) and the portable code natively (build/native),
# showing Ninja's progress. Where the Windows code is tested the 64-bit way (see
# scripts/test-arch.sh), the same sources are also built for x86-64 in build/win64; build/win
# stays the 32-bit program either way.
#   build.sh [win|native|all]   (default all)
#   build.sh demo               only what the demo runs: purgon.exe and the demo machine tool
#                               (with the stand-ins it installs), in the build this machine tests
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root" quiet

# build_windows DIR TOOLCHAIN WHAT [TARGETS...]
build_windows() {
  local dir=$1 toolchain=$2 what=$3
  shift 3
  echo "build: $dir ($what): configuring, then Ninja"
  cmake -S "$root" -B "$root/$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake" >/dev/null
  if [ $# -gt 0 ]; then
    cmake --build "$root/$dir" -j "$jobs" --target "$@"
  else
    cmake --build "$root/$dir" -j "$jobs"
  fi
}
if [ "$what" = demo ]; then
  if [ "$PURGON_TEST_ARCH" = win64 ]; then
    build_windows build/win64 mingw-x86_64 "the demo's programs, for x86-64" purgon demo_machine
  else
    build_windows build/win mingw-i686 "the demo's programs" purgon demo_machine
  fi
  exit 0
fi
if [ "$what" = all ] || [ "$what" = win ]; then
  build_windows build/win mingw-i686 "cross, for Windows: the 32-bit program"
  if [ "$PURGON_TEST_ARCH" = win64 ]; then
    build_windows build/win64 mingw-x86_64 "cross, the same sources for x86-64, tested here"
  fi
fi
if [ "$what" = all ] || [ "$what" = native ]; then
  echo "build: build/native (portable code, with sanitizers): configuring, then Ninja"
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DPURGON_SANITIZE=ON >/dev/null
  cmake --build "$root/build/native" -j "$jobs"
fi

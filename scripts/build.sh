#!/bin/bash
# Builds Purgon for Windows (cross, build/win) and the portable code natively (build/native),
# showing Ninja's progress. Where the Windows code is tested the 64-bit way (see
# scripts/test-arch.sh), the same sources are also built for x86-64 in build/win64; build/win
# stays the 32-bit program either way.
#   build.sh [win|native|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root" quiet

# build_windows DIR TOOLCHAIN WHAT
build_windows() {
  echo "build: $1 ($3): configuring, then Ninja"
  cmake -S "$root" -B "$root/$1" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$2.cmake" >/dev/null
  cmake --build "$root/$1" -j "$jobs"
}
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

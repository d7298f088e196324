#!/bin/bash
# Builds Purgon for Windows (cross, build/win) and the portable code natively (build/native),
# showing Ninja's progress.
#   build.sh [win|native|all]   (default all)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
what=${1:-all}
jobs=$(nproc)
if [ "$what" = all ] || [ "$what" = win ]; then
  echo "build: build/win (cross, for Windows): configuring, then Ninja"
  cmake -S "$root" -B "$root/build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$root/build/win" -j "$jobs"
fi
if [ "$what" = all ] || [ "$what" = native ]; then
  echo "build: build/native (portable code, with sanitizers): configuring, then Ninja"
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DPURGON_SANITIZE=ON >/dev/null
  cmake --build "$root/build/native" -j "$jobs"
fi

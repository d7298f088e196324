#!/bin/bash
# Builds the libFuzzer targets with clang and runs each for a while.
#   fuzz.sh [SECONDS_EACH]   (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DPURGON_TESTS=OFF -DPURGON_FUZZ=ON -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build "$root/build/fuzz"
for fuzzer in "$root"/build/fuzz/tests/fuzz/*_fuzz; do
  echo "== $(basename "$fuzzer") for ${seconds}s"
  mkdir -p "$root/build/fuzz/corpus/$(basename "$fuzzer")"
  "$fuzzer" -max_total_time="$seconds" -max_len=200000 "$root/build/fuzz/corpus/$(basename "$fuzzer")"
done

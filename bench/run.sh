#!/bin/bash
# Builds and runs the removal benchmark under Wine, in a throw-away copy of the build's
# sandboxed prefix (the same one the tests use):  bench/run.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" win
cd "$root/build/win"
PURGON_FRESH_PREFIX=1 ./wine-run.sh bin/purgon_bench.exe "$@"

#!/bin/bash
# Builds and runs the removal benchmark under Wine, in a throw-away copy of the build's
# sandboxed prefix (the same one the tests use), from the build the tests run here (see
# scripts/test-arch.sh):  bench/run.sh [whole|files|keys|dirtree|bareloop] [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root"
"$root/scripts/build.sh" win
cd "$PURGON_WIN_BUILD"
PURGON_FRESH_PREFIX=1 ./wine-run.sh bin/purgon_bench.exe "$@"

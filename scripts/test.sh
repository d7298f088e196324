#!/bin/bash
# Installs what is missing, builds everything and runs every test: the portable code natively
# (with sanitizers), the Windows code and the program end to end under Wine.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
"$root/scripts/build.sh" all || exit 1

status=0
run_ctest() {
  local dir=$1
  (cd "$dir" && ctest --output-on-failure -j 2 --timeout 600) | tee "$dir/ctest.out"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}
run_ctest "$root/build/native"
run_ctest "$root/build/win"

# One closing line for both runs.
passed=0; failed=0
for f in "$root/build/native/ctest.out" "$root/build/win/ctest.out"; do
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$f" | tail -1)
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  bad=$(sed -E 's/.*passed, ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + ${total:-0} - ${bad:-0})); failed=$((failed + ${bad:-0}))
  [ -n "$line" ] || { failed=$((failed + 1)); status=1; }
done
echo "$passed passed, $failed failed"
exit $status

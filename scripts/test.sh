#!/bin/bash
# Installs what is missing, builds everything and runs every test: the portable code natively
# (with sanitizers), the Windows code and the program end to end under Wine. Each test program
# runs once (one Wine start each) and writes its GoogleTest results; the closing line counts
# test cases and the failing ones are named above it, and so are the skipped ones, with
# their reason. The Windows tests run the 32-bit build, or where this machine runs no 32-bit
# code (or PURGON_TEST_ARCH=win64) the 64-bit build: see scripts/test-arch.sh.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
. "$root/scripts/test-arch.sh"
purgon_decide_arch "$root" quiet || exit 1
"$root/scripts/build.sh" all || exit 1

status=0
# run_ctest DIR GTEST_DIR: GTEST_DIR is where the programs write their results, as they see
# it (under Wine, drive Z: is the build tree).
run_ctest() {
  local dir=$1
  rm -rf "$dir/gtest-results"
  (cd "$dir" && GTEST_OUTPUT="xml:$2" ctest --output-on-failure -j 2 --timeout 600) | tee "$dir/ctest.out"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}
run_ctest "$root/build/native" "$root/build/native/gtest-results/"
run_ctest "$PURGON_WIN_BUILD" 'Z:\gtest-results\'

# Every test case of every program that wrote results; a program that wrote none (a script,
# or a program that crashed or hung) counts as one case, named after it.
count_cases() {
  local dir=$1 name result xml found
  while read -r name result; do
    xml="$dir/gtest-results/$name.xml"
    if [ -f "$xml" ]; then
      found=$(awk -v program="$name" '
        /<testcase / {
          close_case()
          match($0, / name="[^"]*"/); test = substr($0, RSTART + 7, RLENGTH - 8)
          match($0, / classname="[^"]*"/); suite = substr($0, RSTART + 12, RLENGTH - 13)
          run = ($0 !~ /status="notrun"/); skipped = ($0 ~ /result="skipped"/)
          failed = 0; open = 1; reason = ""
        }
        /<failure/ { failed = 1 }
        /<skipped/ && match($0, /message="[^"]*"/) { reason = substr($0, RSTART + 9, RLENGTH - 10) }
        function close_case() {
          if (!open || !run) { open = 0; return }
          if (failed) print "FAILED", suite "." test " (" program ")"
          else if (skipped) print "SKIPPED", suite "." test " (" program "): " reason
          else print "PASSED"
          open = 0
        }
        END { close_case() }' "$xml")
      echo "$found"
      # A program that failed after its cases passed (a crash on exit, a leak) fails once more.
      if [ "$result" != Passed ] && ! grep -q '^FAILED' <<<"$found"; then
        echo "FAILED $name (the program failed: $result)"
      fi
    elif [ "$result" = Passed ]; then
      echo PASSED
    else
      echo "FAILED $name (no test results)"
    fi
  done < <(sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) \.+ *(\*\*\*)?([A-Za-z]+).*/\1 \3/p' "$dir/ctest.out")
}
cases=$( { count_cases "$root/build/native"; count_cases "$PURGON_WIN_BUILD"; } )
passed=$(grep -c '^PASSED' <<<"$cases")
failed=$(grep -c '^FAILED' <<<"$cases")
skipped=$(grep -c '^SKIPPED' <<<"$cases")
grep '^SKIPPED' <<<"$cases" | sed -E 's/^SKIPPED /skipped: /; s/&quot;/"/g; s/: [^ ]*:[0-9]+&#x0A;/: /; s/&#x0A;/ /g'
grep '^FAILED' <<<"$cases" | sed 's/^FAILED /failed: /'
[ "$passed" -gt 0 ] || status=1
[ "$failed" -eq 0 ] || status=1
if [ "$skipped" -gt 0 ]; then
  echo "$passed passed, $failed failed, $skipped skipped"
else
  echo "$passed passed, $failed failed"
fi
exit $status

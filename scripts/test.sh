#!/usr/bin/env bash
# Runs every test: host unit tests (sanitizers on), then the Windows tests and the end-to-end
# scenarios under Wine inside the sandbox (those of the 32-bit release medium under WoW64 too,
# where this machine runs 32-bit programs), then the fuzzers.
# Ends with "Total: N passed, N failed, N skipped".
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/build.sh host windows-x64 windows-x86 fuzz || { echo "Total: 0 passed, 1 failed"; exit 1; }

mkdir -p build/logs
status=0

echo "== host unit tests"
ctest --test-dir build/host --output-on-failure -j2 --timeout 60 2>&1 | tee build/logs/host.log
[ "${PIPESTATUS[0]}" = 0 ] || status=1

echo "== Windows tests and end-to-end scenarios under Wine"
# The release medium's floor needs 32-bit programs to run: where they cannot, its scenarios report
# themselves skipped (status 77) and are counted as skipped, never as passed.
if ! why=$(bash scripts/wow64.sh available); then
  echo "== the release medium under WoW64 (ctest label wow64): skipped: $why"
fi
TQ_HEADLESS=1 scripts/sandbox.sh build/win64 bash -c '
  scripts/make-prefix.sh template &&
  ctest --test-dir "$TQ_BUILD" --output-on-failure --timeout 300' 2>&1 | tee build/logs/wine.log
[ "${PIPESTATUS[0]}" = 0 ] || status=1

echo "== fuzzing the parsers of outside input (a minute each)"
ctest --test-dir build/fuzz --output-on-failure 2>&1 | tee build/logs/fuzz.log
[ "${PIPESTATUS[0]}" = 0 ] || status=1

passed=0
failed=0
skipped=0
for log in build/logs/host.log build/logs/wine.log build/logs/fuzz.log; do
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    echo "test: no CTest summary in $log" >&2
    failed=$((failed + 1))
    status=1
    continue
  fi
  f=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.*tests passed, ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
  # CTest counts a skipped test among the passed ones; it lists it as "(Skipped)".
  s=$(grep -c -E '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' "$log")
  passed=$((passed + t - f - s))
  failed=$((failed + f))
  skipped=$((skipped + s))
done
[ "$failed" = 0 ] || status=1
echo "Total: $passed passed, $failed failed, $skipped skipped"
exit $status

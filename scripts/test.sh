#!/usr/bin/env bash
# Runs every test: host unit tests (sanitizers on), then the Windows tests and the end-to-end
# scenarios under Wine inside the sandbox. Ends with "Total: N passed, N failed".
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
TQ_HEADLESS=1 scripts/sandbox.sh build/win64 bash -c '
  scripts/make-prefix.sh template &&
  ctest --test-dir "$TQ_BUILD" --output-on-failure --timeout 300' 2>&1 | tee build/logs/wine.log
[ "${PIPESTATUS[0]}" = 0 ] || status=1

echo "== fuzzing the parsers of outside input (a minute each)"
ctest --test-dir build/fuzz --output-on-failure 2>&1 | tee build/logs/fuzz.log
[ "${PIPESTATUS[0]}" = 0 ] || status=1

passed=0
failed=0
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
  passed=$((passed + t - f))
  failed=$((failed + f))
done
[ "$failed" = 0 ] || status=1
echo "Total: $passed passed, $failed failed"
exit $status

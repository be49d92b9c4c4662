#!/usr/bin/env bash
# Runs one Windows test program under Wine in a prefix of its own, copied fresh from the run's
# template, so no program sees another's queues.
#   scripts/win-test.sh AREA PROGRAM [ARGS...]
# Runs inside scripts/sandbox.sh (CTest runs there). The exit status is the program's.
set -uo pipefail
area=${1:?usage: win-test.sh AREA PROGRAM [ARGS...]}
shift
if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "win-test: run inside scripts/sandbox.sh" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=$TQ_BUILD/wine/wintests/$area
bash "$root/scripts/make-prefix.sh" copy "$prefix" || exit 2
export WINEPREFIX=$prefix
"$WINELOADER" "$@"
status=$?
"$WINESERVER" -k 2>/dev/null || true
# A prefix is ~700 MB: keep it only where a test failed, for a look inside.
[ "$status" = 0 ] && rm -rf "$prefix"
exit $status

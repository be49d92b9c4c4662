#!/usr/bin/env bash
# Runs a Windows program under the 64-bit Wine loader (CTest's cross-compiling emulator).
# Runs only inside the sandbox (scripts/sandbox.sh) with WINEPREFIX set.
set -euo pipefail
if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${WINEPREFIX:-}" ]; then
  echo "wine-exec: run inside scripts/sandbox.sh with WINEPREFIX set" >&2
  exit 2
fi
exec "${WINELOADER:-/usr/lib/wine/wine64}" "$@"

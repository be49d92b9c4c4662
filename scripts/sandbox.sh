#!/usr/bin/env bash
# Runs a command where Wine cannot reach the network: a new network namespace with only the
# loopback interface up, and a new PID namespace, so every wineserver and program started
# inside ends with the command. Without a DISPLAY, or with TQ_HEADLESS=1, a virtual display
# (Xvfb) is started inside as well.
#   scripts/sandbox.sh BUILD_DIR COMMAND [ARGS...]
set -euo pipefail

if [ "${TQ_SANDBOX:-}" != 1 ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "sandbox: must run as root (network namespace)" >&2
    exit 2
  fi
  export TQ_SANDBOX=1
  exec unshare --net --pid --fork --mount-proc -- "$0" "$@"
fi

build=$(realpath "$1")
shift
export TQ_BUILD="$build"

ip link set lo up
# Refuse to run anything if an interface besides loopback is visible.
if ip -o link show | grep -v ': lo:' | grep -q .; then
  echo "sandbox: an interface other than loopback is visible; refusing to run" >&2
  exit 2
fi

. "$(dirname "$0")/wine-env.sh"

if [ -z "${DISPLAY:-}" ] || [ "${TQ_HEADLESS:-}" = 1 ]; then
  n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x900x24 -nolisten tcp >"$build/xvfb.log" 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    sleep 0.05
  done
  trap 'kill $xvfb 2>/dev/null || true; rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"' EXIT
fi

"$@"

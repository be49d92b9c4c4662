#!/usr/bin/env bash
# `make run`: installs what is missing, builds both media, and starts the installer from the test
# medium under Wine, in a fresh prefix (build/win64/wine/run) inside the sandbox.
#   - With a DISPLAY (and TQ_HEADLESS not 1): the installer's window for the person at the screen;
#     waits until it ends.
#   - Without one (or TQ_HEADLESS=1): on a virtual display the robot walks the pages that exist,
#     saves a PNG of each under build/win64/screenshots/run/, prints what each page showed, and
#     ends the installer. Then, in a second fresh prefix (build/win64/wine/run-network), it walks
#     the network path: the TCP/IP port page and the printer search, answered by the private test
#     network of scripts/testnet.sh, which is up for the walks and taken down after them.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --in-sandbox ]; then
  bash scripts/deps.sh
  bash scripts/build.sh windows-x64 windows-x86
  source scripts/run-mode.sh
  tq_run_mode run
  exec scripts/sandbox.sh build/win64 bash scripts/run.sh --in-sandbox "$mode"
fi

# Inside the sandbox from here on.
if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "run: --in-sandbox is for scripts/sandbox.sh" >&2
  exit 2
fi
mode=$2
medium="$TQ_BUILD/medium"
prefix="$TQ_BUILD/wine/run"
bash scripts/make-prefix.sh copy "$prefix"
export WINEPREFIX="$prefix"

if [ "$mode" = window ]; then
  # The template's unmanaged windows suit a display without a window manager; a person's desktop
  # has one, which should give the wizard its frame and let it be moved.
  "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "run: starting $medium/TQ82Ins.exe on $DISPLAY"
  set +e
  (cd "$medium" && "$WINELOADER" TQ82Ins.exe)
  status=$?
  set -e
  "$WINESERVER" -k 2>/dev/null || true
  echo "run: the installer ended with exit code $status"
  exit 0
fi

shots="$TQ_BUILD/screenshots/run"
rm -rf "$shots"
mkdir -p "$shots"
# The test hosts answer the network walk's search; the sandbox's end would remove them too.
network=0
if bash scripts/testnet.sh up; then
  network=1
  trap 'bash scripts/testnet.sh down || true' EXIT
fi
set +e
# To a file: the robot writes UTF-8 bytes, which must not pass through a Wine console.
"$WINELOADER" "$TQ_BUILD/tests/e2e/tq_walk.exe" --installer="$medium/TQ82Ins.exe" \
  --shots="$shots" >"$shots/walk.txt" 2>&1
status=$?
set -e
"$WINESERVER" -k 2>/dev/null || true

# The network path from a fresh start: the prefix above now holds the model's queues, which
# would turn the welcome page into its installed view.
if [ "$network" = 1 ]; then
  export WINEPREFIX="$TQ_BUILD/wine/run-network"
  bash scripts/make-prefix.sh copy "$WINEPREFIX"
  echo >>"$shots/walk.txt"
  set +e
  "$WINELOADER" "$TQ_BUILD/tests/e2e/tq_walk.exe" --installer="$medium/TQ82Ins.exe" \
    --shots="$shots" --network >>"$shots/walk.txt" 2>&1
  network_status=$?
  set -e
  "$WINESERVER" -k 2>/dev/null || true
  [ "$status" = 0 ] && status=$network_status
  trap - EXIT
  bash scripts/testnet.sh down
else
  printf '\nThe test network did not come up: the network path was not walked.\n' >>"$shots/walk.txt"
  [ "$status" = 0 ] && status=1
fi
for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  # /usr/bin/convert explicitly: another convert may come first on PATH.
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done

cat "$shots/walk.txt"
echo
echo "Screenshots of the pages (PNG), in $shots:"
for png in "$shots"/*.png; do
  [ -e "$png" ] && echo "  $png"
done
exit $status

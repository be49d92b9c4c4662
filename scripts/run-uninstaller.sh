#!/usr/bin/env bash
# `make run-uninstaller`: installs what is missing, builds the test build, lays the sample
# network-tools package of uninstall/sample/ out in a fresh prefix (build/win64/wine/uninstaller)
# as its installer would, and starts VNTAdminUninstall.exe on it under Wine, inside the sandbox.
#   - With a DISPLAY (and TQ_HEADLESS not 1): the uninstaller's dialog for the person at the
#     screen; when it ends, what is left of the package.
#   - Without one (or TQ_HEADLESS=1): on a virtual display a robot photographs the dialog at rest,
#     with the mouse on a button and the about box, presses 确定, photographs the message, and
#     reports what it saw and what is left; the PNGs go to build/win64/screenshots/uninstaller/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != --in-sandbox ]; then
  bash scripts/deps.sh
  bash scripts/build.sh windows-x64
  source scripts/run-mode.sh
  tq_run_mode run-uninstaller
  exec scripts/sandbox.sh build/win64 bash scripts/run-uninstaller.sh --in-sandbox "$mode"
fi

# Inside the sandbox from here on.
if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "run-uninstaller: --in-sandbox is for scripts/sandbox.sh" >&2
  exit 2
fi
mode=$2
walk="$TQ_BUILD/tests/e2e/tq_uninstall_walk.exe"
uninstaller="$TQ_BUILD/uninstall/VNTAdminUninstall.exe"
sample="$PWD/uninstall/sample"
prefix="$TQ_BUILD/wine/uninstaller"
shots="$TQ_BUILD/screenshots/uninstaller"
bash scripts/make-prefix.sh copy "$prefix"
export WINEPREFIX="$prefix"
rm -rf "$shots"
mkdir -p "$shots"

args=(--uninstaller="$uninstaller" --sample="$sample" --shots="$shots")
if [ "$mode" = window ]; then
  # A person's desktop has a window manager, which should give the dialog its frame.
  "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
  echo "run-uninstaller: the uninstaller's dialog is on $DISPLAY"
  args+=(--interactive)
fi
set +e
# To a file: the walk writes UTF-8 bytes, which must not pass through a Wine console.
"$WINELOADER" "$walk" "${args[@]}" >"$shots/report.txt" 2>&1
status=$?
set -e
"$WINESERVER" -k 2>/dev/null || true

for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  # /usr/bin/convert explicitly: another convert may come first on PATH.
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
cat "$shots/report.txt"
if [ "$mode" = walk ]; then
  echo
  echo "Screenshots (PNG), in $shots:"
  for png in "$shots"/*.png; do
    [ -e "$png" ] && echo "  $png"
  done
fi
exit $status

#!/usr/bin/env bash
# Makes the template Wine prefix of a run (once) and copies it to a fresh prefix.
#   scripts/make-prefix.sh template            -> $TQ_BUILD/wine/template
#   scripts/make-prefix.sh copy DEST           -> fresh copy of the template at DEST
# Runs inside scripts/sandbox.sh.
set -euo pipefail
: "${TQ_BUILD:?run inside scripts/sandbox.sh}"
template="$TQ_BUILD/wine/template"

make_template() {
  [ -f "$template/.tq-ready" ] && return 0
  rm -rf "$template"
  mkdir -p "$template"
  export WINEPREFIX="$template"
  "$WINELOADER" wineboot -i >"$TQ_BUILD/wine/wineboot.log" 2>&1
  # Unmanaged windows: without a window manager every closing window costs ~2 s otherwise.
  # No crash dialog: a crashing program must end, not wait for a click.
  "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$WINELOADER" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINESERVER" -w
  touch "$template/.tq-ready"
}

case "${1:-}" in
  template) make_template ;;
  copy)
    make_template
    dest=$2
    rm -rf "$dest"
    mkdir -p "$(dirname "$dest")"
    cp -a "$template" "$dest"
    ;;
  *) echo "usage: make-prefix.sh template | copy DEST" >&2; exit 2 ;;
esac

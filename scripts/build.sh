#!/usr/bin/env bash
# Configures and builds the host tests, the x64 test medium and the x86 release medium.
#   scripts/build.sh [host] [windows-x64] [windows-x86]   (default: all three)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(host windows-x64 windows-x86)
for p in "${presets[@]}"; do
  echo "== build $p"
  mkdir -p build/logs
  cmake --preset "$p" >"build/logs/configure-$p.log" 2>&1 || { cat "build/logs/configure-$p.log"; exit 1; }
  cmake --build --preset "$p"
done

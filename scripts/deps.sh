#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Idempotent: a second run finds everything and installs nothing.
set -euo pipefail

packages=(cmake make g++ mingw-w64 wine wine64 xvfb xauth x11-apps imagemagick
          locales fonts-wqy-microhei googletest iproute2 util-linux procps
          clang libclang-rt-14-dev
          snmpd snmp)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  if [ "$(id -u)" != 0 ]; then
    echo "deps: must run as root to install packages" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# The release medium is 32-bit: where the kernel runs 32-bit programs, Wine's 32-bit side runs
# it in a 64-bit prefix (WoW64), as most users run it. A kernel without 32-bit support leaves
# libc6:i386 installed and its loader failing, and nothing more is tried; a machine that cannot
# have i386 packages at all keeps none. Neither stops the rest: scripts/wow64.sh then reports the
# release medium's floor skipped.
if ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed'; then
  if [ "$(id -u)" != 0 ]; then
    echo "deps: must run as root to install packages" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg-query -W -f='${Status}' libc6:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "deps: adding the i386 architecture for Wine's 32-bit side"
    if ! { dpkg --add-architecture i386 && apt-get update -q &&
           apt-get install -y -q --no-install-recommends libc6:i386; }; then
      echo "deps: no i386 packages here; the release medium's floor will be skipped" >&2
      dpkg --remove-architecture i386 2>/dev/null || true
    fi
  fi
  if /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "deps: installing wine32:i386"
    apt-get install -y -q --no-install-recommends wine32:i386 ||
      echo "deps: wine32:i386 cannot be installed; the release medium's floor will be skipped" >&2
  elif dpkg-query -W -f='${Status}' libc6:i386 2>/dev/null | grep -q 'install ok installed'; then
    echo "deps: this kernel runs no 32-bit program; the release medium's floor will be skipped"
  fi
fi

# The installer keeps its texts in the system code page; under Wine that is 936
# only when the process runs in a generated zh_CN.UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "deps: generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when they are missing.
# Idempotent: a second run finds everything and installs nothing.
set -euo pipefail

packages=(cmake make g++ mingw-w64 wine wine64 xvfb xauth x11-apps imagemagick
          locales fonts-wqy-microhei googletest iproute2 util-linux
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

# The installer keeps its texts in the system code page; under Wine that is 936
# only when the process runs in a generated zh_CN.UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN\.utf-\?8$'; then
  echo "deps: generating the zh_CN.UTF-8 locale"
  localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

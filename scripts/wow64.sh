#!/usr/bin/env bash
# Whether the release medium (32-bit programs) can run here: Wine's 32-bit loader installed and
# a kernel that runs 32-bit programs. Exit status 0 when it can; otherwise 1 with one line on
# stdout that says why.
#   scripts/wow64.sh available
set -uo pipefail
case "${1:-}" in
  available)
    if [ ! -x /usr/lib/wine/wine ]; then
      echo "Wine's 32-bit side (wine32:i386) is not installed"
      exit 1
    fi
    if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
      echo "this kernel runs no 32-bit program"
      exit 1
    fi
    exit 0
    ;;
  *) echo "usage: wow64.sh available" >&2; exit 2 ;;
esac

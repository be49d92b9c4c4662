#!/usr/bin/env bash
# Figures of the installer under Wine; not a test and not part of `make test`.
#   scripts/bench.sh [RUNS]        (default 5 parallel installations)
#   scripts/bench.sh --sizes       only the release programs against their size targets,
#                                  as built in build/win32 (no Wine, builds nothing)
#   scripts/bench.sh --watcher [RUNS]
#                                  only the queue watcher alone, RUNS times (default 5) with no
#                                  other queue and with five, and the medians (builds build/win64)
# Builds the test and release media, then inside the sandbox:
#   - RUNS parallel installations, each in a fresh prefix (services already started), timed by tq_bench.exe as the robot
#     drives them (start-up, wizard pages, copy, registration, shortcuts; medians), RUNS
#     unattended ones (/quiet /port:lpt1, start to exit; target under 1 s) and RUNS bare-API runs
#     of the same calls (tq_bench_bare.exe) beside them, with the progress page's time over the
#     bare run's (target at most 1.25);
#   - the CPU time of a USB installation's wait for a printer that never comes: in the
#     installer (newdev double, no device) and, for comparison, the queue watcher alone
#     (tq_bench_watcher.exe, with no other queue and with five: share of a core and CPU per
#     poll of its thread, and the wineserver's share over the same seconds);
#   - the sizes of the release medium's programs and libraries, and the installer and the
#     uninstaller (build/win32/uninstall/, not on the medium) against their size targets.
# Everything is printed and kept in build/win64/bench/.
set -euo pipefail
cd "$(dirname "$0")/.."

# The release programs (built by the windows-x86 preset, for size) against the most each may
# weigh. RELEASE is the release medium's folder; the uninstaller lies beside it in uninstall/.
release_sizes() {
  local release=$1
  echo "Release programs against their size targets:"
  size_line TQ82Ins.exe "$release/TQ82Ins.exe" 524288
  size_line VNTAdminUninstall.exe "$(dirname "$release")/uninstall/VNTAdminUninstall.exe" 262144
  size_line T824uis.exe "$release/T824uis.exe" 262144
}
size_line() {
  local name=$1 path=$2 limit=$3 size
  if [ ! -f "$path" ]; then
    printf '  %-22s not built (%s)\n' "$name" "$path"
    return
  fi
  size=$(stat -c %s "$path")
  if [ "$size" -le "$limit" ]; then
    printf '  %-22s %9d bytes  (target at most %d: %d under)\n' "$name" "$size" "$limit" \
      $((limit - size))
  else
    printf '  %-22s %9d bytes  (target at most %d: %d OVER)\n' "$name" "$size" "$limit" \
      $((size - limit))
  fi
}

if [ "${1:-}" = --sizes ]; then
  release_sizes build/win32/medium
  exit 0
fi

if [ "${1:-}" = --watcher ]; then
  runs=${2:-5}
  case "$runs" in ''|*[!0-9]*|0) echo "usage: bench.sh --watcher [RUNS]" >&2; exit 2 ;; esac
  bash scripts/build.sh windows-x64
  exec scripts/sandbox.sh build/win64 bash scripts/bench.sh --in-sandbox-watcher "$runs"
fi

if [ "${1:-}" != --in-sandbox ] && [ "${1:-}" != --in-sandbox-watcher ]; then
  runs=${1:-5}
  case "$runs" in ''|*[!0-9]*) echo "usage: bench.sh [RUNS | --sizes]" >&2; exit 2 ;; esac
  bash scripts/build.sh windows-x64 windows-x86
  export TQ_HEADLESS=1
  exec scripts/sandbox.sh build/win64 bash scripts/bench.sh --in-sandbox "$runs" \
    "$(realpath build/win32/medium)"
fi

if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "bench: --in-sandbox is for scripts/sandbox.sh" >&2
  exit 2
fi
mode=$1
runs=$2
release=${3:-}
bench="$TQ_BUILD/tests/bench"
medium="$TQ_BUILD/medium"
out="$TQ_BUILD/bench"
prefix="$TQ_BUILD/wine/bench"
records="$out/installations.txt"
if [ "$mode" = --in-sandbox-watcher ]; then
  out="$TQ_BUILD/bench/watcher"
fi
rm -rf "$out"
mkdir -p "$out"
bash scripts/make-prefix.sh template

fresh_prefix() {
  bash scripts/make-prefix.sh copy "$prefix"
  export WINEPREFIX="$prefix"
}
# A fresh prefix whose wineserver and services already run, as a computer's do when someone
# installs: the first program in a prefix starts Wine's services beside it (about 0.7 s of work),
# which would land on whatever is measured first. The warm-up program only prints its usage.
warm_prefix() {
  fresh_prefix
  "$WINESERVER" -p
  "$WINELOADER" "$bench/tq_bench_bare.exe" >/dev/null 2>&1 || true
  sleep 1
}
end_prefix() {
  "$WINESERVER" -k 2>/dev/null || true
}
trap 'end_prefix; rm -rf "$prefix"' EXIT

# The middle value of the numbers on stdin (the mean of the two middle ones for an even count).
median() {
  sort -g | awk '{ v[NR] = $1 } END {
    if (NR == 0) { print "n/a"; exit }
    m = int((NR + 1) / 2)
    printf "%.2f\n", (NR % 2) ? v[m] : (v[m] + v[m + 1]) / 2 }'
}

# The queue watcher alone, RUNS times with no other queue and with five, each run in a fresh
# prefix; with more than one run, the medians of its three figures follow.
watcher_figures() {
  local runs=$1 i q lines column
  for i in $(seq "$runs"); do
    for q in 0 5; do
      fresh_prefix
      "$WINELOADER" "$bench/tq_bench_watcher.exe" --seconds=10 --queues=$q >>"$out/watcher.txt" 2>&1 ||
        echo "bench: the queue watcher could not be measured ($q other queues)" >>"$out/watcher.txt"
      end_prefix
    done
  done
  [ "$runs" -gt 1 ] || return 0
  for q in 0 5; do
    lines=$(sed -n "s|^Queue watcher alone, $q other queue(s): \([0-9.]*\) % of a core, \([0-9.]*\) ms CPU per poll.*wineserver \([0-9.n/a]*\) % of a core.*|\1 \2 \3|p" \
      "$out/watcher.txt")
    printf 'Queue watcher alone, %d other queue(s), medians of %d runs:' "$q" "$runs"
    for column in 1 2 3; do
      printf ' %s' "$(cut -d' ' -f$column <<<"$lines" | grep -v '^n/a$' | median)"
    done
    echo " (% of a core, ms CPU per poll, wineserver % of a core)"
  done >>"$out/watcher.txt"
}

if [ "$mode" = --in-sandbox-watcher ]; then
  watcher_figures "$runs"
  {
    echo "Queue watcher of $(git log -1 --format='%h %cs' 2>/dev/null || echo 'this tree'), $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
    cat "$out/watcher.txt"
  } | tee "$out/summary.txt"
  exit 0
fi

# The programs write UTF-8: to files, never through a Wine console. Each round runs the wizard's
# installation, the unattended one and the bare calls, each in a fresh prefix: taken in turns,
# a busy spell of the machine weighs on all three alike.
for i in $(seq "$runs"); do
  warm_prefix
  if ! "$WINELOADER" "$bench/tq_bench.exe" --install --record="$records" \
      --installer="$medium/TQ82Ins.exe" --shots="$out" >"$out/install-$i.txt" 2>&1; then
    echo "bench: installation run $i failed:" >&2
    cat "$out/install-$i.txt" >&2
  fi
  end_prefix

  warm_prefix
  "$WINELOADER" "$bench/tq_bench.exe" --unattended --record="$out/unattended.txt" \
    --installer="$medium/TQ82Ins.exe" --shots="$out" >"$out/unattended-$i.txt" 2>&1 ||
    echo "bench: unattended run $i failed" >&2
  end_prefix

  warm_prefix
  "$WINELOADER" "$bench/tq_bench_bare.exe" --medium="$medium" --record="$out/bare.txt" \
    >"$out/bare-$i.txt" 2>&1 || echo "bench: bare run $i failed" >&2
  end_prefix
done

# The newdev double on the medium plays a printer that is not plugged in.
fresh_prefix
"$WINELOADER" "$bench/tq_bench.exe" --usb-wait --seconds=10 --installer="$medium/TQ82Ins.exe" --shots="$out" >"$out/usb-wait.txt" 2>&1 ||
  echo "bench: the USB wait could not be measured in the installer" >>"$out/usb-wait.txt"
end_prefix

watcher_figures 1
fresh_prefix
"$WINELOADER" "$bench/tq_bench.exe" --report="$records" --unattended-record="$out/unattended.txt" \
  --bare-record="$out/bare.txt" --release-medium="$release" \
  >"$out/report.txt" 2>&1
end_prefix

{
  echo "Benchmark of $(git log -1 --format='%h %cs' 2>/dev/null || echo 'this tree'), $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
  cat "$out/report.txt"
  echo
  release_sizes "$release"
  echo
  echo "USB wait (10 s, no printer):"
  sed 's/^/  /' "$out/usb-wait.txt" "$out/watcher.txt"
} | tee "$out/summary.txt"

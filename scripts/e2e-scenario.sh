#!/usr/bin/env bash
# Runs one end-to-end scenario of the robot in a fresh copy of the template prefix.
#   scripts/e2e-scenario.sh NAME        (NAME: a TEST of tests/e2e/scenarios.cpp, e.g. PlainWelcome)
# Runs inside scripts/sandbox.sh (CTest runs there). TQ_E2E_ROBOT and TQ_MEDIUM default to the
# windows-x64 build; TQ_E2E_ARGS adds arguments to the robot's command line. Screenshots land
# in $TQ_BUILD/screenshots/NAME/ as PNG.
# The exit status is the scenario's verdict.
set -uo pipefail
name=${1:?usage: e2e-scenario.sh NAME}
if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "e2e-scenario: run inside scripts/sandbox.sh" >&2
  exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
robot=${TQ_E2E_ROBOT:-$TQ_BUILD/tests/e2e/tq_e2e_scenarios.exe}
medium=${TQ_MEDIUM:-$TQ_BUILD/medium}

# The release medium's scenarios (Wow64...) run the 32-bit programs in the 64-bit prefix; where
# this machine cannot, they are skipped (status 77, CTest's SKIP_RETURN_CODE), never passed.
case $name in
  Wow64*)
    if ! why=$(bash "$root/scripts/wow64.sh" available); then
      echo "e2e $name: skipped: $why"
      exit 77
    fi
    ;;
esac
prefix=$TQ_BUILD/wine/e2e/$name
shots=$TQ_BUILD/screenshots/$name

start=$EPOCHREALTIME
bash "$root/scripts/make-prefix.sh" copy "$prefix" || exit 2
rm -rf "$shots"
mkdir -p "$shots"
export WINEPREFIX=$prefix

# Scenarios that search the network get the private test network with its SNMP agents.
network=0
case $name in NetworkSearch*) network=1 ;; esac
if [ "$network" = 1 ]; then
  bash "$root/scripts/testnet.sh" up || exit 2
fi

# A scenario is one robot run, except the restart cycle: Wine's simulated restart ends every
# process of the prefix, the robot too, so a second robot checks what the restart brought.
case $name in
  RestartCycle | Wow64RestartCycle) phases="${name}Request ${name}Resumed" ;;
  *) phases=$name ;;
esac
# Every phase but the last ends in the restart, whose kill gives any exit status (0 or 131 seen):
# only the last phase's verdict counts, and it fails when an earlier phase did not get as far.
# While Wine is still ending the processes of the restart, a program started at once may be
# ended with them, silently: such a run (no test summary) is started again.
status=0
last=${phases##* }

# After a phase that ends in the restart, the next robot waits until the restart's start-up
# (wineboot --kill) runs services again. A program started from outside the prefix between the
# end of the old processes (the start-up event goes with them) and the event's return would run a
# start-up of its own beside the restart's. The new services.exe started after wineboot did.
started_at() {  # a process's start time in clock ticks since boot (field 22 of its stat)
  sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | awk '{ print $20 }'
}
wait_for_restarted_services() {
  local boot boot_start service service_start
  for _ in $(seq 300); do
    boot=$(pgrep -o -f 'wineboot\.exe --kill')
    boot_start=$([ -n "$boot" ] && started_at "$boot")
    if [ -n "$boot_start" ]; then
      for service in $(pgrep -f 'system32.services\.exe'); do
        service_start=$(started_at "$service")
        [ -n "$service_start" ] && [ "$service_start" -ge "$boot_start" ] && return 0
      done
    fi
    sleep 0.1
  done
  echo "e2e $name: no services after the restart within 30 s" >&2
}

for phase in $phases; do
  [ "$phase" = "${phases%% *}" ] || wait_for_restarted_services
  for attempt in 1 2 3 4 5; do
    log=$(mktemp)
    # shellcheck disable=SC2086  # TQ_E2E_ARGS: more robot arguments, split at spaces
    "$WINELOADER" "$robot" --gtest_filter="E2e.$phase" \
      --installer="$medium/TQ82Ins.exe" --shots="$shots" ${TQ_E2E_ARGS:-} > "$log" 2>&1
    s=$?
    cat "$log"
    ran=0
    grep -q '^\[==========\] .* ran\.' "$log" && ran=1
    rm -f "$log"
    [ "$phase" != "$last" ] || [ "$ran" = 1 ] || [ "$attempt" = 5 ] || { sleep 1; continue; }
    break
  done
  [ "$phase" = "$last" ] && status=$s
done
# Nothing of this prefix may outlive the scenario (a stuck installer, the services).
"$WINESERVER" -k 2>/dev/null || true
[ "$network" = 1 ] && bash "$root/scripts/testnet.sh" down
# A prefix is ~700 MB: keep it only where a scenario failed, for a look inside.
[ "$status" = 0 ] && rm -rf "$prefix"

for bmp in "$shots"/*.bmp; do
  [ -e "$bmp" ] || continue
  # /usr/bin/convert explicitly: another convert may come first on PATH.
  /usr/bin/convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
awk -v n="$name" -v s="$status" -v a="$start" -v b="$EPOCHREALTIME" -v d="$shots" \
  'BEGIN { printf "e2e %s: status %s in %.1f s; screenshots in %s\n", n, s, b - a, d }'
exit $status

#!/usr/bin/env bash
# A private test network with two real SNMP agents, for the network printer search under Wine.
#   scripts/testnet.sh up      bridge 10.77.0.1/24 here; agents at 10.77.0.2 and 10.77.0.3
#   scripts/testnet.sh down    ends the agents and their namespaces, removes the links
# Runs as root inside scripts/sandbox.sh: the bridge lives in the sandbox's network namespace
# (where the installer runs) and each test host in a namespace of its own, held by a process
# started here; /run/netns is not touched. No default route and no NAT anywhere: the only
# interfaces are loopback, the bridge and the veth pairs, so nothing can leave the sandbox.
#
#   host A 10.77.0.2  snmpd, community public, sysDescr of our maker (KESTRA)
#   host B 10.77.0.3  snmpd, community public, sysDescr of another maker (OTHERCO)
#
# State (configs, logs, pid files, agent persistent dirs) is kept in $TQ_BUILD/testnet/.
set -eEuo pipefail

if [ "${TQ_SANDBOX:-}" != 1 ] || [ -z "${TQ_BUILD:-}" ]; then
  echo "testnet: run inside scripts/sandbox.sh" >&2
  exit 2
fi
if [ "$(id -u)" != 0 ]; then
  echo "testnet: must run as root" >&2
  exit 2
fi

state=$TQ_BUILD/testnet
bridge=tqnet0
bridge_address=10.77.0.1/24
hosts=(a b)
declare -A address=([a]=10.77.0.2 [b]=10.77.0.3)
declare -A descr=(
  [a]='Laser,KESTRA TQ8240 [00-11-22-33-44-55][OFFICE-1][a][b]'
  [b]='Laser,OTHERCO TQ8240 [66-77-88-99-AA-BB][OFFICE-2][a][b]'
)
sysdescr_oid=1.3.6.1.2.1.1.1.0

# The interfaces this script may find besides loopback; anything else means this is not the
# sandbox's namespace, and nothing is changed.
check_namespace() {
  local name
  while read -r name; do
    case "$name" in
      lo | "$bridge" | tqnet-a | tqnet-b | tqnet-a-in | tqnet-b-in) ;;
      *)
        echo "testnet: interface '$name' is visible: not the sandbox's namespace; refusing" >&2
        exit 2
        ;;
    esac
  done < <(ip -o link show | awk -F': ' '{ sub(/@.*/, "", $2); print $2 }')
}

# The start time of a process (clock ticks since boot), to tell it from a later one of the same id.
start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  set -- $stat
  echo "${20}"
}

# Records a process started here: its id and start time, so only that process is ever ended.
record_pid() {
  echo "$2 $(start_time "$2")" >"$1"
}

# Ends the process recorded in FILE if it is still running (the same id and start time).
stop_pid_file() {
  local file=$1 pid started
  [ -f "$file" ] || return 0
  read -r pid started <"$file" || true
  if [ -n "$pid" ] && [ -n "$started" ] && [ "$(start_time "$pid")" = "$started" ]; then
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
      [ "$(start_time "$pid")" = "$started" ] || break
      sleep 0.02
    done
    [ "$(start_time "$pid")" = "$started" ] && { kill -9 "$pid" 2>/dev/null || true; }
  fi
  rm -f "$file"
}

# No IPv6 on a test link (no router solicitations, no duplicate address detection): only the
# traffic a test makes. Usage: quiet_ipv6 INTERFACE [COMMAND PREFIX to run in another namespace]
quiet_ipv6() {
  local interface=$1
  shift
  "$@" sh -c "echo 1 >/proc/sys/net/ipv6/conf/$interface/disable_ipv6" 2>/dev/null || true
}

agent_answers() {
  snmpget -v1 -c public -t 0.3 -r 0 -Oqv "$1" "$sysdescr_oid" 2>/dev/null | grep -q ','
}

down() {
  check_namespace
  for h in "${hosts[@]}"; do
    stop_pid_file "$state/snmpd-$h.pid"
    stop_pid_file "$state/holder-$h.pid"
    ip link del "tqnet-$h" 2>/dev/null || true
  done
  ip link del "$bridge" 2>/dev/null || true
}

up() {
  check_namespace
  # Already up and answering: nothing to do.
  if [ -f "$state/holder-a.pid" ] && [ -f "$state/holder-b.pid" ] &&
    agent_answers "${address[a]}" && agent_answers "${address[b]}"; then
    return 0
  fi
  down
  mkdir -p "$state"
  # A step that fails leaves nothing half made behind.
  trap 'trap - ERR; echo "testnet: setting up failed" >&2; down' ERR

  ip link add "$bridge" type bridge
  quiet_ipv6 "$bridge"
  ip addr add "$bridge_address" dev "$bridge"
  ip link set "$bridge" up

  for h in "${hosts[@]}"; do
    local dir=$state/$h
    rm -rf "$dir"
    mkdir -p "$dir/persist"

    # The process that holds host $h's network namespace for as long as the network is up.
    setsid unshare -n sleep infinity </dev/null >/dev/null 2>&1 &
    local holder=$!
    record_pid "$state/holder-$h.pid" "$holder"
    # Ready once unshare has made the namespace and handed over to sleep.
    for _ in $(seq 100); do
      [ "$(cat "/proc/$holder/comm" 2>/dev/null)" = sleep ] && break
      sleep 0.01
    done
    local in_host=(nsenter -t "$holder" -n)

    ip link add "tqnet-$h" type veth peer name "tqnet-$h-in"
    quiet_ipv6 "tqnet-$h"
    ip link set "tqnet-$h" master "$bridge"
    ip link set "tqnet-$h" up
    ip link set "tqnet-$h-in" netns "$holder"
    "${in_host[@]}" ip link set "tqnet-$h-in" name eth0
    quiet_ipv6 all "${in_host[@]}"
    quiet_ipv6 eth0 "${in_host[@]}"
    "${in_host[@]}" ip link set lo up
    "${in_host[@]}" ip addr add "${address[$h]}/24" dev eth0
    "${in_host[@]}" ip link set eth0 up

    # Listening on every address of the host, so the limited broadcast reaches it too.
    cat >"$dir/snmpd.conf" <<EOF
agentAddress udp:161
rocommunity public
sysDescr ${descr[$h]}
sysName testhost-$h
EOF
    # -C: no configuration but this file; SNMP_PERSISTENT_DIR keeps the agent's state here.
    SNMP_PERSISTENT_DIR="$dir/persist" MIBS= setsid "${in_host[@]}" \
      snmpd -f -C -c "$dir/snmpd.conf" -Lf "$dir/snmpd.log" -p "$dir/snmpd.pidfile" \
      -I -smux </dev/null >>"$dir/snmpd.log" 2>&1 &
    record_pid "$state/snmpd-$h.pid" $!
  done

  # Ready when both agents answer a unicast request for sysDescr.0.
  local h
  for h in "${hosts[@]}"; do
    local ok=0
    for _ in $(seq 100); do
      if agent_answers "${address[$h]}"; then
        ok=1
        break
      fi
      local pid started
      read -r pid started <"$state/snmpd-$h.pid"
      [ "$(start_time "$pid")" = "$started" ] || break
      sleep 0.05
    done
    if [ "$ok" != 1 ]; then
      echo "testnet: the agent of host $h (${address[$h]}) does not answer; see $state/$h/snmpd.log" >&2
      down
      exit 1
    fi
  done
}

case "${1:-}" in
  up) up ;;
  down) down ;;
  *)
    echo "usage: testnet.sh up | down" >&2
    exit 2
    ;;
esac

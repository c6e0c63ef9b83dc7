#!/usr/bin/env bash
# Runs a test in a throwaway network of its own: two namespaces joined by a veth pair, the
# computer at 198.51.100.1/24 (with a default route over the link, so 255.255.255.255 goes out
# there) and a simulated QVX-NET unit at 198.51.100.10/24. Nothing leaves the namespaces; both
# are removed afterwards. Exits 77 (skipped) where namespaces cannot be made.
#
# Usage: with_test_network.sh UNIT-SIMULATOR TEST-PROGRAM [ARGS...]
# The test learns the unit's folder (its log and report) from VIDIDEZA_TEST_UNIT_DIR.
set -u
simulator=$1
shift

if [ "$(id -u)" -ne 0 ] || ! command -v ip >/dev/null 2>&1; then
  echo "SKIPPED: making network namespaces needs root and iproute2"
  exit 77
fi

id=$$
pc=vidideza-pc-$id
unit=vidideza-unit-$id
folder=$(mktemp -d)
unitPid=""
cleanup() {
  [ -n "$unitPid" ] && kill "$unitPid" 2>/dev/null && wait "$unitPid" 2>/dev/null
  ip netns del "$pc" 2>/dev/null
  ip netns del "$unit" 2>/dev/null
  rm -rf "$folder"
}
trap cleanup EXIT

if ! ip netns add "$pc" 2>/dev/null; then
  echo "SKIPPED: network namespaces cannot be made here"
  exit 77
fi
set -e
ip netns add "$unit"
ip link add "vpc$id" netns "$pc" type veth peer name "vunit$id" netns "$unit"
ip -n "$pc" link set lo up
ip -n "$pc" addr add 198.51.100.1/24 dev "vpc$id"
ip -n "$pc" link set "vpc$id" up
ip -n "$pc" route add default dev "vpc$id"
ip -n "$unit" link set lo up
ip -n "$unit" addr add 198.51.100.10/24 dev "vunit$id"
ip -n "$unit" link set "vunit$id" up
set +e

ip netns exec "$unit" "$simulator" --net --command-port 10001 \
  --log "$folder/unit.log" --report "$folder/report" >"$folder/unit.out" 2>&1 &
unitPid=$!
for _ in $(seq 50); do grep -q "command port" "$folder/unit.out" 2>/dev/null && break; sleep 0.1; done

VIDIDEZA_TEST_UNIT_DIR=$folder ip netns exec "$pc" "$@"

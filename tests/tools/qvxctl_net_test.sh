#!/usr/bin/env bash
# qvxctl against five simulated QVX-NET units in the test network (scripts/with-test-network
# --units 5; units 1 to 5 at 198.51.100.10 to .14, this computer at 198.51.100.1 on br0): text
# commands over the network, one unit's setup, a batch of five of which one does not answer, and
# the failures a script must be able to tell apart by the exit status.
# Usage: with-test-network --units 5 SIM qvxctl_net_test.sh QVXCTL
set -u
qvxctl=$(realpath "$1")
units=${VIDIDEZA_TEST_UNIT_DIR:?run through scripts/with-test-network --units 5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() {  # expect NAME WANTED GOT
  [ "$2" = "$3" ] || fail "$1: wanted [$2], got [$3]"
}
cd "$work"
mac() { printf '00-20-4A-E0-2C-%02X' $((0xBE + $1 - 1)); }
ip() { echo "198.51.100.$((9 + $1))"; }

# A command to unit 1: asked for its command port first, then the line and its reply.
out=$("$qvxctl" send --net "$(ip 1)" --wait 0.5 --log t.log A000A,ON 2>err)
expect "send status" 0 $?
expect "send output" "SND: A000A,ON
RCV: A000A,ON,OK" "$out"
expect "send progress" "Wait ..
Unit ready" "$(cat err)"
expect "send log" "$(printf 'SND: A000A,ON\r\nRCV: A000A,ON,OK\r\n' | od -c)" "$(od -c t.log)"

# Nobody at the address: ten port queries, then the timeout (waited for below, while the rest
# goes on; its own server port keeps it apart).
"$qvxctl" send --net 198.51.100.99 --server-port 10200 A000A,ON >nobody.out 2>nobody.err &
nobody=$!

# One unit set up, server IP and mask taken from the adapter, then found again (--verify).
out=$("$qvxctl" net-setup --mac "$(mac 2)" --ip "$(ip 2)" --gateway 198.51.100.254 \
  --adapter br0 --verify 2>err)
expect "net-setup status" 0 $?
expect "net-setup output" "Succesfully set" "$out"
expect "net-setup progress" "Wait ..xxxxxxxR.
Succesfully set.
Unit ready" "$(cat err)"
grep -q "set: ip 198.51.100.11, host bits 8, gateway 198.51.100.254, server 198.51.100.1:10100" \
  "$units/unit2.log" || fail "unit 2 was not set: $(cat "$units/unit2.log")"

# The server port taken by another program: a link error, with the endpoint's own words.
python3 -c 'import socket,sys,time; s=socket.socket(socket.AF_INET,socket.SOCK_DGRAM); s.bind(("0.0.0.0",10100)); print(1,flush=True); time.sleep(30)' >held &
holder=$!
for _ in $(seq 50); do [ -s held ] && break; sleep 0.1; done
"$qvxctl" net-setup --mac "$(mac 2)" --ip "$(ip 2)" --gateway 198.51.100.254 --adapter br0 2>err
status=$?
kill "$holder"
expect "busy server port status" 3 "$status"
echo "busy server port: $(cat err)"

wait "$nobody"
expect "send timeout status" 2 $?
expect "send timeout progress" "Wait ...........
Timeout error" "$(cat nobody.err)"
expect "nothing sent to nobody" "" "$(cat nobody.out)"

# A batch of five; unit 3 has hung and answers nothing.
kill -STOP "$(cat "$units/unit3.pid")"
# A unit's row is the line of the table it stands on; "#" starts a comment line.
{
  echo "# floor 1"
  echo "mac,ip,gateway"
  for k in 1 2 3 4 5; do echo "$(mac $k),$(ip $k),"; done
} >units.csv
"$qvxctl" batch units.csv --report report.csv --adapter br0 --gateway 198.51.100.254 >out 2>err
expect "batch status" 2 $?
expect "batch summary" "5 units: 4 set, 1 failed (row 5: Timeout error)" "$(cat out)"
# The units run at once: their rows come in the order they ended.
{ head -n 1 report.csv; tail -n +2 report.csv | sort -t, -k1,1n; } |
  sed -E 's/,[0-9]+\.[0-9],/,S,/' >report.masked
expect "batch report" "$(printf '%s\r\n' "row,mac,ip,outcome,seconds,message" \
  "3,$(mac 1),$(ip 1),set,S,Succesfully set" \
  "4,$(mac 2),$(ip 2),set,S,Succesfully set" \
  "5,$(mac 3),$(ip 3),not found,S,Timeout error" \
  "6,$(mac 4),$(ip 4),set,S,Succesfully set" \
  "7,$(mac 5),$(ip 5),set,S,Succesfully set" | od -c)" "$(od -c report.masked)"
seconds=$(grep "^5," report.csv | cut -d, -f5)
awk -v s="$seconds" 'BEGIN { exit !(s >= 10.5 && s <= 12.5) }' || fail "the silent unit took $seconds s"
unitLog() { if [ "$1" -eq 1 ]; then echo "$units/unit.log"; else echo "$units/unit$1.log"; fi; }
for k in 1 4 5; do
  grep -q "set: ip $(ip $k), host bits 8, gateway 198.51.100.254, server 198.51.100.1:10100" \
    "$(unitLog $k)" || fail "unit $k was not set: $(cat "$(unitLog $k)")"
done
grep -q "row 5 ($(mac 3)): Timeout error" err || fail "the batch did not tell row 5's timeout: $(cat err)"

# A unit that takes its record, its blocks and the finish packet, then falls silent: written,
# not confirmed (status 4), told apart from a unit never found, for it needs a visit.
sets=$(grep -c '^set: ' "$(unitLog 4)")
(
  for _ in $(seq 1000); do
    if [ "$(grep -c '^set: ' "$(unitLog 4)")" -gt "$sets" ]; then
      kill -STOP "$(cat "$units/unit4.pid")"
      break
    fi
    sleep 0.01
  done
) &
silencer=$!
"$qvxctl" net-setup --mac "$(mac 4)" --ip "$(ip 4)" --gateway 198.51.100.254 --adapter br0 \
  >out 2>err
expect "unconfirmed unit status" 4 $?
wait "$silencer"
kill -CONT "$(cat "$units/unit4.pid")"
grep -q "Timeout error: the unit took its setup record but did not confirm; check it" err ||
  fail "the unconfirmed unit was not told apart: $(cat err)"

# Ctrl-C during a batch, one unit at a time: the unit in flight is set to its end, no other is
# begun, the report and the summary hold the unit begun, and the status is 130.
interrupted_batch() {  # interrupted_batch SIGNALS TABLE...: Ctrl-C that often once row 2 began
  local signals=$1
  shift
  printf '%s\n' "mac,ip,gateway" "$@" >cut.csv
  "$qvxctl" batch cut.csv --parallel 1 --report cut-report.csv --adapter br0 \
    --gateway 198.51.100.254 >cut.out 2>cut.err &
  local batch=$!
  for _ in $(seq 100); do grep -q '^row 2 ' cut.err 2>/dev/null && break; sleep 0.05; done
  for _ in $(seq "$signals"); do
    kill -INT "$batch"
    sleep 0.2
  done
  wait "$batch"
}
received2=$(grep -c . "$(unitLog 2)")
started=$(date +%s)
interrupted_batch 1 "$(mac 1),$(ip 1)," "$(mac 2),$(ip 2),"
expect "interrupted batch status" 130 $?
expect "interrupted batch summary" "1 unit: 1 set, 0 failed" "$(cat cut.out)"
grep -q "qvxctl batch: interrupted; 1 of 2 units not begun" cut.err ||
  fail "the interrupted batch did not say so: $(cat cut.err)"
sed -E 's/,[0-9]+\.[0-9],/,S,/' cut-report.csv >cut.masked
expect "interrupted batch report" "$(printf '%s\r\n' "row,mac,ip,outcome,seconds,message" \
  "2,$(mac 1),$(ip 1),set,S,Succesfully set" | od -c)" "$(od -c cut.masked)"
expect "unit not begun" "$received2" "$(grep -c . "$(unitLog 2)")"
# A second Ctrl-C stops at once, the unit in flight (silent here) recorded as interrupted.
started=$(date +%s)
interrupted_batch 2 "$(mac 3),$(ip 3)," "$(mac 2),$(ip 2),"
expect "batch stopped at once status" 130 $?
[ $(($(date +%s) - started)) -le 5 ] || fail "the second Ctrl-C took $(($(date +%s) - started)) s"
grep -q "^2,$(mac 3),$(ip 3),interrupted,.*,Interrupted before the unit was found" cut-report.csv ||
  fail "the unit in flight is not in the report: $(cat cut-report.csv)"

# The same results as JSON, for two units that answer, the table read from standard input.
kill -CONT "$(cat "$units/unit3.pid")"
head -n 4 units.csv | "$qvxctl" batch - --json --adapter br0 --gateway 198.51.100.254 >out 2>/dev/null
expect "json batch status" 0 $?
python3 - out <<'PY' || fail "batch JSON: $(cat out)"
import json, sys
result = json.load(open(sys.argv[1]))
assert result["set"] == 2 and result["failed"] == 0, result
assert [u["outcome"] for u in result["units"]] == ["set", "set"], result
assert [u["row"] for u in result["units"]] == [3, 4], result
assert result["units"][1]["ip"] == "198.51.100.11", result
PY
echo "qvxctl_net_test: all checks passed"

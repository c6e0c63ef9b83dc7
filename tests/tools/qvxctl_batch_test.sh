#!/usr/bin/env bash
# qvxctl batch with units in parallel, against 24 simulated QVX-NET units in the test network
# (scripts/with-test-network --units 24; unit K at 198.51.100.(9+K), MAC ending 2CBE+K-1): a
# table checked whole before anything is sent, a dry run that sends nothing, then 23 units set
# eight at a time while unit 3 is silent, unit 5 slow, a row's MAC belongs to no unit, and a
# third address forges answers for every unit all along. Every unit's received bytes are
# checked against what the dry run said it would be sent, and each unit set must then tell its
# command port (--verify).
# Usage: with-test-network --units 24 SIM qvxctl_batch_test.sh QVXCTL SIM
set -u
qvxctl=$(realpath "$1")
sim=$(realpath "$2")
units=${VIDIDEZA_TEST_UNIT_DIR:?run through scripts/with-test-network --units 24}
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() {  # expect NAME WANTED GOT
  [ "$2" = "$3" ] || fail "$1: wanted [$2], got [$3]"
}
cd "$work"
mac() { local v=$((0x2CBE + $1 - 1)); printf '00-20-4A-E0-%02X-%02X' $((v >> 8)) $((v & 0xFF)); }
addr() { echo "198.51.100.$((9 + $1))"; }
report_of() { if [ "$1" -eq 1 ]; then echo "$units/report"; else echo "$units/report$1"; fi; }
log_of() { if [ "$1" -eq 1 ]; then echo "$units/unit.log"; else echo "$units/unit$1.log"; fi; }
received() { cat "$(report_of "$1")" 2>/dev/null; }

# The table: units 1 to 23 but 7, and a MAC no unit has at unit 7's address.
wrong_mac=00-20-4A-E0-AA-01
{
  echo "mac,ip"
  for k in $(seq 23); do
    if [ "$k" -eq 7 ]; then echo "$wrong_mac,$(addr 7)"; else echo "$(mac "$k"),$(addr "$k")"; fi
  done
} >units.csv
row_of() { echo $(($1 + 1)); }  # unit K stands on line K+1

# A bad table: every fault told with its row, nothing sent, status 1.
{ cat units.csv; echo "$(mac 4),198.51.100.200"; echo "00-20-4A-E0-00-01,$(addr 8)"; echo "00-20-4A-E0-00-02,1.2.3"; } >bad.csv
"$qvxctl" batch bad.csv --adapter br0 --gateway 198.51.100.254 >out 2>err
expect "bad table status" 1 $?
expect "bad table report" "qvxctl batch: the unit table is not used, nothing was sent:
  row 27: Wrong IP address
  rows 5 and 25: the same MAC $(mac 4)
  rows 9 and 26: the same IP address $(addr 8)" "$(cat err)"
# The dry run: what each unit would be sent, as JSON; nothing sent.
"$qvxctl" batch units.csv --dry-run --json --adapter br0 --gateway 198.51.100.254 >dry.json 2>err
expect "dry run status" 0 $?
sleep 0.5
for k in $(seq 24); do
  expect "unit $k's bytes before the batch" "" "$(received "$k")"
done

# Unit 3 silent; unit 5 slow (half a second before each write step is acknowledged); unit 24's
# address forges, every 20 ms, answers carrying each unit's MAC, acknowledgements, block
# requests and port answers.
kill -STOP "$(cat "$units/unit3.pid")"
stop_unit() {  # stop_unit K: unit K gone, its ports free
  local pid
  pid=$(cat "$units/unit$1.pid")
  kill "$pid"
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.05; done
  fail "unit $1 did not stop"
}
stop_unit 5
ip netns exec "$(cat "$units/unit5.netns")" "$sim" --net --command-port 10001 --mac "$(mac 5)" \
  --write-delay 0.5 --log "$(log_of 5)" --report "$(report_of 5)" >slow.out 2>&1 &
pids+=($!)
stop_unit 24
macs=$(for k in $(seq 23); do mac "$k"; done; echo "$wrong_mac")
ip netns exec "$(cat "$units/unit24.netns")" python3 - "$macs" >forger.out 2>&1 <<'PY' &
import socket, sys, time
macs = [bytes.fromhex(m.replace("-", "")) for m in sys.argv[1].split()]
def packet(kind, opcode, size, body=b""):
    p = bytearray(size); p[1] = kind; p[3] = opcode; p[24:24 + len(body)] = body
    return bytes(p)
forged = [packet(0, 0xF7, 30, m) for m in macs] + [packet(1, 0xFB, 4)]
forged += [packet(1, op, 4) for op in range(0xB2, 0xB8)] + [packet(0, 0xF9, 30, b"\x11\x27")]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("0.0.0.0", 30718))
end = time.time() + 60
while time.time() < end:
    for p in forged:
        s.sendto(p, ("198.51.100.1", 10100))
    time.sleep(0.02)
PY
forger=$!
pids+=($forger)

started=$(date +%s%N)
"$qvxctl" batch units.csv --parallel 8 --verify --report report.csv --adapter br0 \
  --gateway 198.51.100.254 >out 2>err
status=$?
took=$((($(date +%s%N) - started) / 1000000))
kill -0 "$forger" 2>/dev/null || fail "the forger did not forge all along: $(cat forger.out)"
echo "23 units, 8 at a time: $took ms"
expect "batch status" 2 "$status"
expect "batch summary" "23 units: 21 set, 2 failed (row 4: Timeout error; row 8: Timeout error)" \
  "$(cat out)"
[ "$(grep -c '(.* of 23 ended)$' err)" -eq 23 ] || fail "not one line per unit: $(cat err)"
grep -q "^row 8 ($wrong_mac): Timeout error (" err || fail "the wrong MAC's row: $(cat err)"
expect "report rows" 23 "$(tail -n +2 report.csv | wc -l)"
for k in $(seq 23); do
  row=$(row_of "$k")
  outcome=$(grep "^$row," report.csv | cut -d, -f4)
  case $k in 3 | 7) expect "unit $k's outcome" "not found" "$outcome" ;;
  *) expect "unit $k's outcome" "set" "$outcome" ;; esac
done
[ "$took" -lt 40000 ] || fail "the batch took $took ms"

# Each unit set received exactly what the dry run told, once: the announcement, the setup
# record, the six blocks (the same for every unit) and the finish packet; the silent unit and
# the unit at the wrong MAC's address received nothing.
python3 - dry.json "$units" <<'PY' || fail "the units' received bytes"
import json, sys
dry = {u["ip"]: u for u in json.load(open(sys.argv[1]))["units"]}
folder = sys.argv[2]
blocks = None
for k in range(1, 24):
    path = folder + ("/report" if k == 1 else "/report%d" % k)
    try:
        lines = [l.split() for l in open(path).read().splitlines()]
    except FileNotFoundError:
        lines = []
    ip = "198.51.100.%d" % (9 + k)
    if k in (3, 7):
        assert lines == [], (k, lines)
        continue
    opcodes = [l[0] for l in lines]
    assert opcodes == ["FC", "FA", "C2", "C3", "C4", "C5", "C6", "C7", "03"], (k, opcodes)
    assert lines[0][1] == dry[ip]["announcement"], (k, "announcement")
    assert lines[1][1] == dry[ip]["setup_record"], (k, "setup record")
    blocks = blocks or lines[2:]
    assert lines[2:] == blocks, (k, "blocks")
print("every unit's received bytes as the dry run told")
PY
grep -q "set: ip $(addr 5), host bits 8, gateway 198.51.100.254, server 198.51.100.1:10100" \
  "$(log_of 5)" || fail "the slow unit was not set: $(cat "$(log_of 5)")"
kill -CONT "$(cat "$units/unit3.pid")"
echo "qvxctl_batch_test: all checks passed"

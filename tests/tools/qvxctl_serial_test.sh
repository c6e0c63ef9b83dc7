#!/usr/bin/env bash
# qvxctl against the simulated QVX-RS unit on a pseudo-terminal, run as a script runs it: the
# bytes the unit gets, the head stamping, the lines printed, the log file, the setup commands'
# question, and a unit that vanishes while the tool waits for its replies. Run in a network
# namespace holding only loopback (scripts/with-loopback-only).
# Usage: qvxctl_serial_test.sh QVXCTL UNIT_SIMULATOR
set -u
qvxctl=$(realpath "$1")
simulator=$(realpath "$2")

work=$(mktemp -d)
simPid=""
cleanup() {
  [ -n "$simPid" ] && kill "$simPid" 2>/dev/null && wait "$simPid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() {  # expect NAME WANTED GOT
  [ "$2" = "$3" ] || fail "$1: wanted [$2], got [$3]"
}
startUnit() {
  rm -f "$work/qvx-rs.tty"
  "$simulator" --link "$work/qvx-rs.tty" --address 18 --last-port 7 --log "$work/unit.log" \
    >/dev/null 2>&1 &
  simPid=$!
  for _ in $(seq 50); do [ -L "$work/qvx-rs.tty" ] && break; sleep 0.1; done
  [ -L "$work/qvx-rs.tty" ] || fail "the simulated unit did not start"
}
cd "$work"
startUnit

# Each line's head stamped with unit 18 (12 hex), port 0, code A; the lines printed as the window
# shows them and logged as Test.log is written.
out=$("$qvxctl" send --serial "$work/qvx-rs.tty" --address 18 --port-addr 0 --code A \
  --wait 0.5 --log t.log A000A,ON "xxxxx,SV" 2>err)
expect "send status" 0 $?
# The lines appear in the order they went and came: the first reply may come before the second
# line goes (a slow machine, a sanitizer build) or after it.
sent_first="SND: A120A,ON
SND: A120A,SV
RCV: A120A,ON,OK
RCV: A120A,SV,T21.5,OK"
answered_first="SND: A120A,ON
RCV: A120A,ON,OK
SND: A120A,SV
RCV: A120A,SV,T21.5,OK"
[ "$out" = "$answered_first" ] && order=$answered_first || order=$sent_first
expect "send output" "$order" "$out"
expect "send errors" "" "$(cat err)"
expect "log bytes" "$(sed 's/$/\r/' <<<"$order" | od -c)" "$(od -c t.log)"
grep -qx "received: A120A,ON" unit.log || fail "the unit did not get A120A,ON"

# A setup command with no terminal to ask on is refused and sends nothing.
: >unit.log
"$qvxctl" setup-unit --serial "$work/qvx-rs.tty" --address 20 --last-port 3 </dev/null 2>err
expect "unasked setup status" 1 $?
expect "unasked setup message" "qvxctl setup-unit: no terminal to ask on; give --yes to set the unit without asking" "$(cat err)"
sleep 0.3
expect "unit log after a refused setup" "" "$(cat unit.log)"

# With --yes the unit takes its new address; it then answers as unit 20 (14 hex).
out=$("$qvxctl" setup-unit --serial "$work/qvx-rs.tty" --address 20 --last-port 3 --yes --wait 0.5)
expect "setup status" 0 $?
expect "setup output" "SND: PSCU=143
RCV: A140A,PSCU,OK" "$out"
out=$("$qvxctl" send --serial "$work/qvx-rs.tty" --address 20 --port-addr 3 --code A --wait 0.5 --json A000A,ON)
expect "json output" '{"sent": ["A143A,ON"], "received": ["A143A,ON,OK"]}' "$out"

# A port that is not there, and one that another program holds.
"$qvxctl" send --serial "$work/ttyUSB9" A 2>err
expect "missing port status" 3 $?
expect "missing port message" "No such file or directory." "$(cat err)"

# The unit goes away while the tool waits for replies: the tool ends with the link error
# rather than waiting on, and what it got so far is printed and logged.
"$qvxctl" send --serial "$work/qvx-rs.tty" --address 20 --port-addr 3 --code A --wait 5 \
  --log gone.log "A000A,DUMP,20000" >out 2>err &
toolPid=$!
sleep 0.3
kill -KILL "$simPid"  # gone at once, as an unplugged adapter is, whatever it was writing
wait "$simPid" 2>/dev/null
simPid=""
start=$(date +%s)
wait "$toolPid"
status=$?
[ $(( $(date +%s) - start )) -le 6 ] || fail "the tool kept waiting for a vanished unit"
expect "vanished unit status" 3 "$status"
expect "vanished unit message" "Input/output error." "$(cat err)"
expect "log lines as printed" "$(wc -l <out)" "$(wc -l <gone.log)"
echo "qvxctl_serial_test: all checks passed"

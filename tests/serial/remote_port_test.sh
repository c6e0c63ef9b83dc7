#!/usr/bin/env bash
# qvxctl on serial ports at serial device servers: Debian's ser2net serving the simulated QVX-RS
# unit's pseudo-terminal over RFC 2217 and as a raw socket, and a small RFC 2217 server of the
# test's own for what ser2net does not do (refusing a setting, refusing the port option, not
# answering). Checks the line settings the pseudo-terminal got, the bytes both ways (a 0xFF
# among them), a 10,000-line burst, the faults' messages, and a server gone silent without a
# reset, which keep-alive must find within 30 s. Run in a network namespace of its own
# (scripts/with-window-sandbox): the servers listen on its loopback.
# Usage: remote_port_test.sh QVXCTL UNIT_SIMULATOR TEST_SERVER
set -u
qvxctl=$(realpath "$1")
simulator=$(realpath "$2")
server=$(realpath "$3")

command -v ser2net >/dev/null || { echo "SKIPPED: ser2net is not installed"; exit 77; }
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
expect() {  # expect NAME WANTED GOT
  [ "$2" = "$3" ] || fail "$1: wanted [$2], got [$3]"
}
cd "$work"

"$simulator" --link "$work/qvx-rs.tty" --address 18 --last-port 7 --log "$work/unit.log" \
  >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do [ -L qvx-rs.tty ] && break; sleep 0.1; done
[ -L qvx-rs.tty ] || fail "the simulated unit did not start"
tty=$(readlink -f qvx-rs.tty)

# ser2net opens the line at 4800 7E1: only what the tool sets through RFC 2217 makes it 8N2 at
# 9600. nobreak: a pseudo-terminal has no break or modem lines to set.
cat >ser2net.yaml <<EOF
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,2000
  connector: serialdev,$tty,4800e71,local,nobreak
connection: &raw
  accepter: tcp,127.0.0.1,2001
  connector: serialdev,$tty,9600n82,local,nobreak
EOF
startSer2net() {
  ser2net -n -c ser2net.yaml -P "$work/ser2net.pid" >>ser2net.log 2>&1 &
  ser2netPid=$!
  pids+=($ser2netPid)
  for _ in $(seq 50); do
    (exec 3<>/dev/tcp/127.0.0.1/2001) 2>/dev/null && return
    sleep 0.1
  done
  fail "ser2net did not start: $(cat ser2net.log)"
}
startSer2net
send() {  # send PORT WAIT COMMAND...: qvxctl to unit 18, port 0, code A
  local port=$1 wait=$2
  shift 2
  "$qvxctl" send --serial "$port" --address 18 --port-addr 0 --code A --wait "$wait" "$@"
}

# Every line both ways, a 0xFF byte in a line and in its reply, and the log as printed.
out=$(send rfc2217://127.0.0.1:2000 0.8 --log t.log A000A,ON "xxxxx,SV" $'A000A,\xffZ' 2>err)
expect "rfc2217 status" 0 $?
expect "rfc2217 errors" "" "$(cat err)"
expect "rfc2217 lines" "$(printf 'SND: A120A,ON\nSND: A120A,SV\nSND: A120A,\xffZ\nRCV: A120A,ON,OK\nRCV: A120A,SV,T21.5,OK\nRCV: A120A,\xffZ,OK')" \
  "$(grep -a SND <<<"$out"; grep -a RCV <<<"$out")"
expect "rfc2217 log" "$(sed 's/$/\r/' <<<"$out" | od -c)" "$(od -c t.log)"
grep -aq $'^received: A120A,\xffZ$' unit.log || fail "the unit did not get the 0xFF byte once"

# The line's settings while the tool holds it: 9600 baud, 8 data bits, no parity, 2 stop bits,
# no flow control, as the tool asked through RFC 2217.
send rfc2217://127.0.0.1:2000 1.5 A000A,ON >/dev/null 2>&1 &
holder=$!
sleep 0.8
settings=$(stty -F "$tty" -a)
wait $holder
for want in "speed 9600 baud" " cs8 " " -parenb " " cstopb " " -crtscts " " -ixon "; do
  [[ " ${settings//$'\n'/ } " == *"$want"* ]] || fail "the line lacks '$want': $settings"
done

# 10,000 lines in a burst, none lost or cut.
send rfc2217://127.0.0.1:2000 4 --log burst.log A000A,DUMP,10000 >burst.out 2>err
expect "burst status" 0 $?
expect "burst lines" 10000 "$(grep -c '^RCV: A120A,DUMP,' burst.out)"
expect "burst last line" "RCV: A120A,DUMP,10000" "$(tail -n 1 burst.out)"
expect "burst log" "$(wc -l <burst.out)" "$(wc -l <burst.log)"

# The raw socket: bytes alone, the line as ser2net sets it (9600n82).
out=$(send socket://127.0.0.1:2001 0.5 A000A,OF 2>err)
expect "raw status" 0 $?
expect "raw lines" "SND: A120A,OF
RCV: A120A,OF,OK" "$out"

# The setup command through the server: the unit takes address 20 (14 hex), answers as such,
# and is set back to 18.
out=$("$qvxctl" setup-unit --serial rfc2217://127.0.0.1:2000 --address 20 --last-port 3 --yes \
  --wait 0.5 2>err)
expect "setup status" 0 $?
expect "setup output" "SND: PSCU=143
RCV: A140A,PSCU,OK" "$out"
out=$("$qvxctl" setup-unit --serial rfc2217://127.0.0.1:2000 --address 18 --last-port 7 --yes \
  --wait 0.5 2>err)
expect "setup back" "SND: PSCU=127
RCV: A120A,PSCU,OK" "$out"

# Faults, each with the system's or the server's words, and nothing sent.
startServer() {  # startServer PORT OPTIONS...
  local port=$1
  shift
  python3 "$server" --device "$tty" --listen "127.0.0.1:$port" "$@" &
  pids+=($!)
  for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/$port) 2>/dev/null && return; sleep 0.1; done
  fail "the test server on $port did not start"
}
startServer 2002 --refuse-baud 4800
startServer 2003 --no-com-port
startServer 2004 --mute-settings
: >unit.log
faults=(
  "rfc2217://127.0.0.1:2002|The serial server 127.0.0.1, port 2002 refused baud rate 9600, it set 4800."
  "rfc2217://127.0.0.1:2003|The serial server 127.0.0.1, port 2003 refused the port settings option of RFC 2217 (COM-PORT-OPTION): it takes no port settings."
  "rfc2217://127.0.0.1:2004|The serial server 127.0.0.1, port 2004 did not answer the port settings in time."
  "rfc2217://127.0.0.1:2009|Serial server 127.0.0.1, port 2009: Connection refused."
  "socket://127.0.0.1:0|\"socket://127.0.0.1:0\" is no network port name: the port number is not 1 to 65535."
  "rfc2217://[::1]:2000|Serial server ::1, port 2000: Connection refused."
)
for fault in "${faults[@]}"; do
  port=${fault%%|*}
  start=$(date +%s%N)
  send "$port" 0.2 A000A,ON >out 2>err
  status=$?
  took=$(( ($(date +%s%N) - start) / 1000000 ))
  expect "$port status" 3 $status
  expect "$port message" "${fault#*|}" "$(cat err)"
  expect "$port output" "" "$(cat out)"
  [ "$took" -lt 3000 ] || fail "$port: the tool took $took ms to give up"
done
sleep 0.3
expect "unit log after the faults" "" "$(cat unit.log)"

# ser2net killed while the tool waits for replies: the tool ends at once with the link error.
send rfc2217://127.0.0.1:2000 5 A000A,ON >out 2>err &
toolPid=$!
sleep 0.5
start=$(date +%s)
{ kill -KILL "$ser2netPid"; wait "$ser2netPid"; } 2>/dev/null
wait $toolPid
expect "server gone status" 3 $?
[ $(( $(date +%s) - start )) -le 2 ] || fail "the tool kept waiting for a server that is gone"
grep -qE '^Serial server 127.0.0.1, port 2000: (Connection reset by peer|Broken pipe)\.$' err ||
  fail "server gone message: $(cat err)"

# A server gone silent without a reset (its packets dropped): keep-alive finds it.
startSer2net
send rfc2217://127.0.0.1:2000 60 A000A,ON >out 2>err &
toolPid=$!
sleep 1
grep -q "RCV: A120A,ON,OK" out || fail "no reply before the silence"
ip link set lo down || fail "loopback could not be silenced"
start=$(date +%s)
wait $toolPid
status=$?
took=$(( $(date +%s) - start ))
ip link set lo up
expect "silent server status" 3 $status
[ "$took" -le 30 ] || fail "a silent server was found only after $took s"
grep -q "^Serial server 127.0.0.1, port 2000: Connection timed out\.$" err ||
  fail "silent server message: $(cat err)"
echo "remote_port_test: all checks passed (a silent server found after $took s)"

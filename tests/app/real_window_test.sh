#!/usr/bin/env bash
# The real program on a virtual X display (Xvfb), started as a technician starts it but with
# Qt's own options on its command line: the window must still appear on the display (the
# options do not act), its title bar must read exactly the title, and "Send A", pressed by
# keys, must reach the simulated QVX-RS unit and the traffic log.
# As root it runs in a network namespace of its own (loopback and one veth adapter).
# Usage: real_window_test.sh PROGRAM UNIT_SIMULATOR
set -u
program=$1
simulator=$2
title='QVX service tool for QVX-RS     V2.4'

if [ -z "${VIDIDEZA_OWN_NETWORK:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
  VIDIDEZA_OWN_NETWORK=1 exec unshare -n bash "$0" "$@"
fi
if [ -n "${VIDIDEZA_OWN_NETWORK:-}" ]; then
  # One adapter, as a computer has; the QVX-NET page is never shown.
  ip link set lo up
  ip link add vidideza0 type veth peer name vidideza1 && ip addr add 198.51.100.1/24 dev vidideza0 &&
    ip link set vidideza0 up || { echo "SKIPPED: no adapter can be made here"; exit 77; }
fi
for tool in Xvfb xdotool xprop; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done

# Under the leak checker, what system libraries keep is not the program's.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/system_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Xvfb picks a free display itself and tells which.
here=$(cd "$(dirname "$0")" && pwd)
DISPLAY=$("$here/../../scripts/start-xvfb" "$work") || fail "no virtual display"
pids+=("$(cat "$work/xvfb.pid")")
export DISPLAY
unset QT_QPA_PLATFORM

cd "$work"
"$simulator" --link "$work/qvx-rs.tty" --log "$work/unit.log" >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/qvx-rs.tty" ] && break; sleep 0.1; done
printf '[Serial]\r\nCOMPort=%s\r\n[Network]\r\nCardNr=0\r\n' "$work/qvx-rs.tty" >VIDideza.ini

"$program" -platform offscreen -reverse -title Other &
toolPid=$!
pids+=($toolPid)
window=""
for _ in $(seq 100); do
  window=$(timeout 5 xdotool search --onlyvisible --name "QVX service tool" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$toolPid" 2>/dev/null || fail "the program ended before its window appeared"
  sleep 0.1
done
if [ -z "$window" ]; then
  timeout 10 import -window root "${VIDIDEZA_FAILURE_SHOT:-/dev/null}" 2>/dev/null
  fail "no window on the display: Qt's -platform option acted"
fi

name=$(xprop -id "$window" _NET_WM_NAME)
[ "$name" = "_NET_WM_NAME(UTF8_STRING) = \"$title\"" ] || fail "title bar reads: $name"
echo "title bar: $name"

# The focus starts in "Command A"; Tab reaches "Send A".
sleep 0.5
xdotool windowfocus --sync "$window" key Tab space
for _ in $(seq 50); do [ -s "$work/unit.log" ] && break; sleep 0.1; done
[ -s "$work/unit.log" ] || fail "the unit received nothing"
sleep 0.5
kill -TERM "$toolPid"
wait "$toolPid"
status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status"
grep -q '^SND: ' Test.log || fail "no SND line in Test.log: $(cat Test.log)"
grep -q '^RCV: ' Test.log || fail "no RCV line in Test.log: $(cat Test.log)"
echo "unit received: $(head -n 1 "$work/unit.log")"
echo "PASS"

#!/usr/bin/env bash
# VIDideza.exe under Wine on a virtual display, driven by keys and clicks, as a technician
# would: in mount and network namespaces of its own (a /dev with no serial device but the
# simulated unit's, loopback only), with COM5 mapped to the simulated QVX-RS unit.
# Checks the title, "Send A" answered in the window and in Test.log, the settings written at
# close, and "I/O error 32." for a second copy in the same folder.
# With QVXCTL_EXE set, qvxctl.exe then talks to the same unit on COM5, stamping its line.
# Usage: win32_window_test.sh VIDIDEZA_EXE WINDOW_DRIVER_EXE QVX_UNIT_SIM WINEPREFIX [SHOT.png]
# Exits 77 (skipped) where the namespaces cannot be made.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
exe=$(readlink -f "$1")
driver=$(readlink -f "$2")
sim=$(readlink -f "$3")
prefix=$(readlink -f "$4")
screenshot=${5:-}
qvxctl=${QVXCTL_EXE:+$(readlink -f "$QVXCTL_EXE")}
fail() { echo "win32_window_test: FAIL: $*" >&2; exit 1; }

if [ "${VIDIDEZA_IN_NAMESPACES:-}" != 1 ]; then
  if [ "$(id -u)" -ne 0 ] || ! unshare --mount --net --propagation private true 2>/dev/null; then
    echo "SKIPPED: needs root and mount and network namespaces"
    exit 77
  fi
  VIDIDEZA_IN_NAMESPACES=1 exec unshare --mount --net --propagation private "$0" "$@"
fi

# A computer's one adapter (without one, the card selector's start-up step fails), loopback.
ip link set lo up
ip link add vidideza0 type veth peer name vidideza1
ip addr add 198.51.100.1/24 dev vidideza0
ip link set vidideza0 up
. "$scripts/private-dev.sh"
make_private_dev
# A Wine server of this namespace's own: the machine's would see the machine's /dev.
mkdir -p "/tmp/.wine-$(id -u)"
mount -t tmpfs -o mode=0700 winesockets "/tmp/.wine-$(id -u)"

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
work=$(mktemp -d)
pids=()
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1 || true
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

DISPLAY=$("$scripts/start-xvfb" "$work") || fail "no virtual display"
pids+=("$(cat "$work/xvfb.pid")")
export DISPLAY

"$sim" --link "$work/qvx-rs.tty" --log "$work/unit.log" >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/qvx-rs.tty" ] && break; sleep 0.1; done
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$(readlink "$work/qvx-rs.tty")" /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

folder=$work/field
mkdir "$folder"
cp "$exe" "$folder/VIDideza.exe"
printf '[Serial]\r\nCOMPort=COM5\r\n' >"$folder/VIDideza.ini"
(cd "$folder" && exec "$wine" VIDideza.exe) &
first=$!
pids+=($first)
title="QVX service tool for QVX-RS     V2.4"
window=""
for _ in $(seq 300); do
  window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then "$wine" "$driver" | tr -d '\r' >&2; fail "the window did not appear"; fi
[ "$(xdotool getwindowname "$window")" = "$title" ] || fail "the title reads $(xdotool getwindowname "$window")"

# The focus starts in "Command A"; Tab reaches "Send A".
sleep 1
xdotool windowfocus --sync "$window"
xdotool key Tab space
for _ in $(seq 50); do
  grep -q 'RCV: A000A,ON,OK' "$folder/Test.log" 2>/dev/null && break
  sleep 0.1
done
grep -q $'^SND: A000A,ON\r$' "$folder/Test.log" || fail "Test.log lacks the line sent"
grep -q $'^RCV: A000A,ON,OK\r$' "$folder/Test.log" || fail "Test.log lacks the unit's answer"
grep -q 'A000A,ON' "$work/unit.log" || fail "the unit did not get the line"
if [ -n "$screenshot" ]; then
  sleep 0.5
  import -window "$window" "$screenshot"
fi

# Told that the session ends, the program writes its settings (removed for the test) and
# closes its log; then its window closes as by the close box and the program ends.
rm "$folder/VIDideza.ini"
"$wine" "$driver" end-session "$title" || fail "the window is gone before the session ends"
grep -q $'^COMPort=COM5\r$' "$folder/VIDideza.ini" || fail "the settings were not written at session end"
[ "$(grep -c . "$folder/Test.log")" -eq 2 ] || fail "Test.log holds $(grep -c . "$folder/Test.log") lines"
"$wine" "$driver" close "$title" || fail "no window to close"
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
kill -0 "$first" 2>/dev/null && fail "closing did not end the program"

# Two copies in the same folder: the second finds the log held by the first.
(cd "$folder" && exec "$wine" VIDideza.exe) &
first=$!
pids+=($first)
for _ in $(seq 300); do [ -n "$(xdotool search --onlyvisible --name "^${title}\$")" ] && break; sleep 0.1; done
(cd "$folder" && exec "$wine" VIDideza.exe) &
second=$!
pids+=($second)
boxes=""
for _ in $(seq 100); do
  boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
  [ -n "$boxes" ] && break
  sleep 0.2
done
[ "$boxes" = "Vidideza | OK | I/O error 32." ] || fail "the second copy showed: ${boxes:-nothing}"

if [ -n "$qvxctl" ]; then
  "$wineserver" -k 2>/dev/null || true  # the window copies let COM5 go
  "$wineserver" -w
  : >"$work/unit.log"
  out=$(cd "$folder" && "$wine" "$qvxctl" send --serial COM5 --port-addr 0 --code A --wait 1 \
    --log cli.log xxxxx,SV | tr -d '\r') || fail "qvxctl.exe failed: $out"
  [ "$out" = $'SND: A000A,SV\nRCV: A000A,SV,T21.5,OK' ] || fail "qvxctl.exe printed: $out"
  [ "$(cat "$folder/cli.log")" = $'SND: A000A,SV\r\nRCV: A000A,SV,T21.5,OK\r' ] ||
    fail "qvxctl.exe logged: $(cat "$folder/cli.log")"
  grep -q 'received: A000A,SV' "$work/unit.log" || fail "the unit did not get qvxctl.exe's line"
fi
echo "win32_window_test: passed"

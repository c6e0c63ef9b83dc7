#!/usr/bin/env bash
# VIDideza.exe under Wine on a virtual display, driven by keys and clicks, as a technician
# would: in mount and network namespaces of its own (a /dev with no serial device but the
# simulated unit's, loopback only), with COM5 mapped to the simulated QVX-RS unit.
# Checks the title, "Send A" answered in the window and in Test.log, the setup questions
# answered by Enter, Y, N, Escape and the close box, 1,000 Send and reply rounds, the settings
# written at close and at Alt+F4 pressed as a key (also beside two busy processes), a burst of
# 10,000 lines shown and logged whole with no box, an adapter unplugged and plugged back (one
# box, then its replies again), and "I/O error 32." for a second copy in the same folder.
# With QVXCTL_EXE set, qvxctl.exe then talks to the same unit on COM5, stamping its line. Where
# ser2net is installed, the program and qvxctl.exe then reach the unit through it (RFC 2217).
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
  for p in "${pids[@]}"; do kill -- "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1 || true
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM8 /f >/dev/null 2>&1 || true
  "$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM9 /f >/dev/null 2>&1 || true
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
# COM8: the unit's end of a second line, which sends a burst of 10,000 lines as fast as the line
# takes them once the file "go" appears.
for i in $(seq 0 9999); do echo "A000A,ST,$i,OK"; done >"$work/burst.txt"
# (A session of its own, so that it and its shell are stopped as one, and no output of theirs:
# a process left holding this script's output would hold its caller's pipe open.)
setsid socat pty,raw,echo=0,link="$work/burst.tty" \
  SYSTEM:"while [ ! -e '$work/go' ]; do sleep 0.1; done; cat '$work/burst.txt'; sleep 300" \
  </dev/null >/dev/null 2>&1 &
burst_line=$!
pids+=(-"$burst_line")
for _ in $(seq 50); do [ -L "$work/burst.tty" ] && break; sleep 0.1; done
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM8 /d "$(readlink -f "$work/burst.tty")" /f >/dev/null
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$(readlink "$work/qvx-rs.tty")" /f >/dev/null
# COM9: an adapter that is unplugged and plugged back, the name of its device kept (a link the
# simulated unit makes afresh when it starts again).
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM9 /d "$work/usb.tty" /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

start_in() {  # start_in FOLDER PORT: a copy of the program in FOLDER, its port PORT; sets first
  mkdir -p "$1"
  cp "$exe" "$1/VIDideza.exe"
  printf '[Serial]\r\nCOMPort=%s\r\n' "$2" >"$1/VIDideza.ini"
  (cd "$1" && exec "$wine" VIDideza.exe) &
  first=$!
  pids+=($first)
}
folder=$work/field
start_in "$folder" COM5
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
timeout 20 xdotool windowfocus --sync "$window" || fail "the window took no focus"
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

# The setup questions answered by real key presses, as a technician answers them: Enter takes
# the default button (Yes), Y answers Yes, N and Escape answer No and send nothing; so does the
# close box (as the driver's close asks it, WM_CLOSE).
box_up() {  # box_up: the question's window, once it is shown
  local box=""
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --name '^Vidideza$' 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 0.1
  done
  echo "$box"
}
answer() {  # answer BUTTON KEY WANTED_LINE ("" for none)
  local before box
  before=$(grep -c . "$work/unit.log" || true)
  "$wine" "$driver" click "$title" "$1" || fail "no button $1"
  box=$(box_up)
  [ -n "$box" ] || fail "$1 asked no question"
  if [ "$2" = close-box ]; then
    "$wine" "$driver" close Vidideza || fail "no question box to close"
  else
    timeout 20 xdotool windowfocus --sync "$box" || fail "the question box of $1 took no focus"
    xdotool key "$2"
  fi
  for _ in $(seq 50); do
    [ -z "$(xdotool search --onlyvisible --name '^Vidideza$' 2>/dev/null)" ] && break
    sleep 0.1
  done
  [ -z "$(xdotool search --onlyvisible --name '^Vidideza$' 2>/dev/null)" ] ||
    fail "$2 did not answer the question of $1"
  if [ -n "$3" ]; then
    for _ in $(seq 50); do
      tail -n +"$((before + 1))" "$work/unit.log" | grep -qx "received: $3" && return 0
      sleep 0.1
    done
    fail "$2 in the question of $1 put nothing on the line: $(tail -n +"$((before + 1))" "$work/unit.log")"
  fi
  sleep 1
  [ "$(grep -c . "$work/unit.log" || true)" -eq "$before" ] ||
    fail "$2 in the question of $1 sent: $(tail -n +"$((before + 1))" "$work/unit.log")"
}
answer "Set interface port" Return "ALLLA,PSIP=A0A"
answer "Set control unit" Return "PSCU=000"
answer "Set interface port" y "ALLLA,PSIP=A0A"
answer "Set interface port" n ""
answer "Set control unit" n ""
answer "Set interface port" Escape ""
answer "Set control unit" close-box ""

# A thousand Send and reply rounds, each clicked as soon as the last reply is shown: no box, and
# every line in the window and in Test.log, in order.
before=$(grep -c . "$folder/Test.log")
received=$(grep -c . "$work/unit.log" || true)
timeout 300 "$wine" "$driver" rounds "$title" "Send A" 1000 | tr -d '\r' ||
  fail "the rounds stopped: $(tail -n 2 "$folder/Test.log" | tr -d '\r')"
tail -n +"$((before + 1))" "$folder/Test.log" | tr -d '\r' >"$work/rounds.logged"
for _ in $(seq 1000); do printf 'SND: A000A,ON\nRCV: A000A,ON,OK\n'; done >"$work/rounds.wanted"
cmp -s "$work/rounds.logged" "$work/rounds.wanted" ||
  fail "Test.log holds $(grep -c . "$work/rounds.logged") lines of the rounds, not 1000 pairs in order"
[ "$(($(grep -c . "$work/unit.log") - received))" -eq 1000 ] ||
  fail "the unit received $(($(grep -c . "$work/unit.log") - received)) lines of the rounds"
"$wine" "$driver" text "$title" TMemo | tr -d '\r' | tail -n 2000 >"$work/rounds.shown"
echo >>"$work/rounds.shown"
cmp -s "$work/rounds.shown" "$work/rounds.wanted" || fail "the response window lost lines of the rounds"
boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
[ -z "$boxes" ] || fail "a box came up during the rounds: $boxes"
lines=$(grep -c . "$folder/Test.log")

# Told that the session ends, the program writes its settings (removed for the test) and
# closes its log; then its window closes as by the close box and the program ends.
rm "$folder/VIDideza.ini"
"$wine" "$driver" end-session "$title" || fail "the window is gone before the session ends"
grep -q $'^COMPort=COM5\r$' "$folder/VIDideza.ini" || fail "the settings were not written at session end"
[ "$(grep -c . "$folder/Test.log")" -eq "$lines" ] || fail "Test.log holds $(grep -c . "$folder/Test.log") lines"
"$wine" "$driver" close "$title" || fail "no window to close"
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
kill -0 "$first" 2>/dev/null && fail "closing did not end the program"

# Alt+F4, pressed as a key, ends the program as the close box does, whichever control has the
# focus, also beside two busy processes: the settings are written and the log is closed.
busy=()
for _ in 1 2; do
  (while :; do :; done) &
  busy+=($!)
  pids+=($!)
done
for focus in "Command A" "Send A" "the control after it"; do
  start_in "$folder" COM5
  window=""
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || fail "the window did not appear for Alt+F4 in $focus"
  sleep 1
  rm "$folder/VIDideza.ini"
  timeout 20 xdotool windowfocus --sync "$window" || fail "the window took no focus for Alt+F4"
  # Keys go where Wine has put the focus: wait until it has taken the window's.
  for _ in $(seq 100); do "$wine" "$driver" foreground "$title" && break; sleep 0.1; done
  case $focus in
    "Send A") xdotool key --delay 50 Tab ;;
    "the control after it") xdotool key --delay 50 Tab Tab ;;
  esac
  xdotool key --delay 50 alt+F4
  for _ in $(seq 150); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$first" 2>/dev/null &&
    fail "Alt+F4 in $focus did not end the program within 15 s: $("$wine" "$driver" | tr -d '\r')"
  grep -q $'^COMPort=COM5\r$' "$folder/VIDideza.ini" || fail "Alt+F4 in $focus wrote no settings"
done
kill "${busy[@]}" 2>/dev/null || true

# The burst on COM8: no box, and every line whole and in order in Test.log and in the response
# window (read as a screen reader reads it, through WM_GETTEXT).
burst=$work/burst
start_in "$burst" COM8
for _ in $(seq 300); do [ -n "$(xdotool search --onlyvisible --name "^${title}\$")" ] && break; sleep 0.1; done
sleep 1
touch "$work/go"
got=0
for _ in $(seq 600); do
  got=$(grep -c '^RCV: ' "$burst/Test.log" 2>/dev/null || true)
  [ "${got:-0}" -ge 10000 ] && break
  sleep 0.1
done
[ "${got:-0}" -eq 10000 ] || fail "Test.log holds ${got:-0} of the burst's 10,000 lines"
sed 's/^/RCV: /' "$work/burst.txt" >"$work/burst.wanted"
tr -d '\r' <"$burst/Test.log" | cmp -s - "$work/burst.wanted" || fail "Test.log's lines are not the burst's"
"$wine" "$driver" text "$title" TMemo | tr -d '\r' >"$work/burst.shown" || fail "no response window"
echo >>"$work/burst.shown"
cmp -s "$work/burst.shown" "$work/burst.wanted" ||
  fail "the response window holds $(grep -c . "$work/burst.shown") lines, not the burst's"
boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
[ -z "$boxes" ] || fail "a box came up during the burst: $boxes"
"$wine" "$driver" close "$title" || fail "no window to close after the burst"
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
# COM8 goes again: what follows runs as on a machine with COM5 alone.
kill -- -"$burst_line" 2>/dev/null || true
"$wine" reg delete 'HKLM\Software\Wine\Ports' /v COM8 /f >/dev/null 2>&1 || true

# Unplugged and plugged back: exactly one box, then the port is back by itself and a reply
# reaches the window and the log.
plug_in() {  # plug_in LOG: the unit on COM9, logging what it receives to LOG
  "$sim" --link "$work/usb.tty" --log "$1" >/dev/null &
  usb_unit=$!
  pids+=($usb_unit)
  for _ in $(seq 50); do [ -L "$work/usb.tty" ] && [ -e "$1" ] && break; sleep 0.1; done
}
usb=$work/usb
plug_in "$work/usb-unit.log"
start_in "$usb" COM9
for _ in $(seq 300); do [ -n "$(xdotool search --onlyvisible --name "^${title}\$")" ] && break; sleep 0.1; done
"$wine" "$driver" click "$title" "Send A" || fail "no Send A on COM9"
for _ in $(seq 50); do grep -q 'RCV: A000A,ON,OK' "$usb/Test.log" 2>/dev/null && break; sleep 0.1; done
grep -q 'RCV: A000A,ON,OK' "$usb/Test.log" || fail "no answer on COM9 before the unplug"
kill "$usb_unit"
wait "$usb_unit" 2>/dev/null || true
boxes=""
for _ in $(seq 50); do
  boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
  [ -n "$boxes" ] && break
  sleep 0.2
done
[ "$(grep -c . <<<"$boxes")" -eq 1 ] || fail "the unplug showed: ${boxes:-no box}"
echo "unplugged: $boxes"
"$wine" "$driver" close Vidideza || fail "no box to close after the unplug"
plug_in "$work/usb-unit-2.log"
# The program looks for the device four times a second; on a loaded machine the reopen can take
# longer than that, so the test waits until the new line is held open rather than for a time.
# Only processes of this mount namespace count: another test's private /dev numbers its
# pseudo-terminals from 0 as well, and a descriptor there reads as the same name.
held_open() {  # held_open DEVICE: a process of this mount namespace has DEVICE open
  local process
  for process in /proc/[0-9]*; do
    [ "$process/ns/mnt" -ef /proc/$$/ns/mnt ] || continue
    [ -n "$(find "$process/fd" -lname "$1" 2>/dev/null | head -n 1)" ] && return 0
  done
  return 1
}
new_line=$(readlink "$work/usb.tty")
for _ in $(seq 300); do held_open "$new_line" && break; sleep 0.1; done
held_open "$new_line" || fail "the program did not reopen COM9 within 30 s of the replug"
boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
[ -z "$boxes" ] || fail "the replug showed: $boxes"
"$wine" "$driver" click "$title" "Send A" || fail "no Send A after the replug"
for _ in $(seq 100); do
  [ "$(grep -c 'RCV: A000A,ON,OK' "$usb/Test.log")" -ge 2 ] && break
  sleep 0.1
done
[ "$(grep -c 'RCV: A000A,ON,OK' "$usb/Test.log")" -eq 2 ] ||
  fail "no answer after the replug: $(tr -d '\r' <"$usb/Test.log" | tr '\n' '|')" \
    "boxes: $("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)" \
    "the unit got: $(tr '\n' '|' <"$work/usb-unit-2.log")"
grep -q 'received: A000A,ON' "$work/usb-unit-2.log" || fail "the unit plugged back received nothing"
"$wine" "$driver" close "$title" || fail "no window to close after the replug"
for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done

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
  out=$(cd "$folder" && timeout 60 "$wine" "$qvxctl" send --serial COM5 --port-addr 0 --code A --wait 1 \
    --log cli.log xxxxx,SV | tr -d '\r') || fail "qvxctl.exe failed: $out"
  [ "$out" = $'SND: A000A,SV\nRCV: A000A,SV,T21.5,OK' ] || fail "qvxctl.exe printed: $out"
  [ "$(cat "$folder/cli.log")" = $'SND: A000A,SV\r\nRCV: A000A,SV,T21.5,OK\r' ] ||
    fail "qvxctl.exe logged: $(cat "$folder/cli.log")"
  grep -q 'received: A000A,SV' "$work/unit.log" || fail "the unit did not get qvxctl.exe's line"
fi
# The unit's line at a serial device server: ser2net serves it over RFC 2217 on this
# namespace's loopback, opening it at 4800 7E1, so only what the program sets makes it 9600 8N2.
# Send A answered; the server killed (one box) and started again (the port back by itself, a
# reply in the log); qvxctl.exe on the same server, and on one that is not there.
if command -v ser2net >/dev/null; then
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
  line=$(readlink -f "$work/qvx-rs.tty")
  printf 'connection: &unit\n  accepter: telnet(rfc2217),tcp,127.0.0.1,2000\n  connector: serialdev,%s,4800e71,local,nobreak\n' \
    "$line" >"$work/ser2net.yaml"
  start_ser2net() {
    ser2net -n -c "$work/ser2net.yaml" -P "$work/ser2net.pid" >/dev/null 2>&1 &
    ser2net_pid=$!
    pids+=($ser2net_pid)
    for _ in $(seq 50); do (exec 3<>/dev/tcp/127.0.0.1/2000) 2>/dev/null && return 0; sleep 0.1; done
    fail "ser2net did not start"
  }
  start_ser2net
  remote=$work/remote
  start_in "$remote" "rfc2217://127.0.0.1:2000"
  for _ in $(seq 300); do [ -n "$(xdotool search --onlyvisible --name "^${title}\$")" ] && break; sleep 0.1; done
  "$wine" "$driver" click "$title" "Send A" || fail "no Send A on the served port"
  for _ in $(seq 50); do grep -q 'RCV: A000A,ON,OK' "$remote/Test.log" 2>/dev/null && break; sleep 0.1; done
  grep -q 'RCV: A000A,ON,OK' "$remote/Test.log" || fail "no answer through the serial server"
  settings=$(stty -F "$line" -a | tr '\n' ' ')
  for want in "speed 9600 baud" " cs8 " " -parenb " " cstopb "; do
    [[ " $settings " == *"$want"* ]] || fail "the served line lacks '$want': $settings"
  done
  kill -KILL "$ser2net_pid"
  wait "$ser2net_pid" 2>/dev/null || true
  boxes=""
  for _ in $(seq 50); do
    boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
    [ -n "$boxes" ] && break
    sleep 0.2
  done
  [ "$(grep -c . <<<"$boxes")" -eq 1 ] || fail "the server's end showed: ${boxes:-no box}"
  echo "server gone: $boxes"
  "$wine" "$driver" close Vidideza || fail "no box to close after the server's end"
  stty -F "$line" 4800
  start_ser2net
  back=0
  for _ in $(seq 40); do
    stty -F "$line" -a | grep -q "speed 9600 baud" && { back=1; break; }
    sleep 0.1
  done
  [ "$back" = 1 ] || fail "the port was not back within 4 s of the server's return"
  "$wine" "$driver" click "$title" "Send A" || fail "no Send A after the server's return"
  for _ in $(seq 50); do [ "$(grep -c 'RCV: A000A,ON,OK' "$remote/Test.log")" -ge 2 ] && break; sleep 0.1; done
  [ "$(grep -c 'RCV: A000A,ON,OK' "$remote/Test.log")" -eq 2 ] || fail "no answer after the server's return"
  boxes=$("$wine" "$driver" | tr -d '\r' | grep '^Vidideza |' || true)
  [ -z "$boxes" ] || fail "the server's return showed: $boxes"
  "$wine" "$driver" close "$title" || fail "no window to close after the served port"
  for _ in $(seq 100); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
  if [ -n "$qvxctl" ]; then
    out=$(cd "$remote" && timeout 60 "$wine" "$qvxctl" send --serial rfc2217://127.0.0.1:2000 \
      --port-addr 0 --code A --wait 1 xxxxx,SV | tr -d '\r') || fail "qvxctl.exe on the server failed: $out"
    [ "$out" = $'SND: A000A,SV\nRCV: A000A,SV,T21.5,OK' ] || fail "qvxctl.exe on the server printed: $out"
    out=$(timeout 60 "$wine" "$qvxctl" send --serial socket://127.0.0.1:2009 A 2>&1 | tr -d '\r' || true)
    [ "$out" = "Serial server 127.0.0.1, port 2009: Connection refused." ] ||
      fail "qvxctl.exe on no server printed: $out"
  fi
  echo "served port: passed"
fi
echo "win32_window_test: passed"

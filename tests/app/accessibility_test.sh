#!/usr/bin/env bash
# The real program on a virtual display, read as a screen reader reads it (AT-SPI, on a D-Bus
# session of the test's own): every control of the serial page found by its name, and the
# response window's last line after "Send A" answered by the simulated QVX-RS unit.
# As root it runs in a network namespace of its own (loopback and one veth adapter).
# Usage: accessibility_test.sh PROGRAM UNIT_SIMULATOR
set -u
program=$(readlink -f "$1")
simulator=$(readlink -f "$2")
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${VIDIDEZA_OWN_NETWORK:-}" ] && [ "$(id -u)" -eq 0 ] && unshare -n true 2>/dev/null; then
  VIDIDEZA_OWN_NETWORK=1 exec unshare -n bash "$0" "$@"
fi
for tool in Xvfb xdotool dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "SKIPPED: python3-pyatspi is not installed"; exit 77; }
# A session bus of the test's own, on which the accessibility bus starts when first asked for.
if [ -z "${VIDIDEZA_OWN_BUS:-}" ]; then
  VIDIDEZA_OWN_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi
if [ -n "${VIDIDEZA_OWN_NETWORK:-}" ]; then
  # One adapter, as a computer has; the QVX-NET page is never shown.
  ip link set lo up
  ip link add vidideza0 type veth peer name vidideza1 && ip addr add 198.51.100.1/24 dev vidideza0 &&
    ip link set vidideza0 up || { echo "SKIPPED: no adapter can be made here"; exit 77; }
fi

export LSAN_OPTIONS="suppressions=$here/system_leaks.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

DISPLAY=$("$here/../../scripts/start-xvfb" "$work") || fail "no virtual display"
pids+=("$(cat "$work/xvfb.pid")")
export DISPLAY
for _ in $(seq 50); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
xprop -root >/dev/null 2>&1 || fail "the virtual display $DISPLAY does not answer: $(cat "$work/xvfb.log")"
unset QT_QPA_PLATFORM
# The toolkit speaks to assistive technology only where the desktop asks it to.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

cd "$work"
"$simulator" --link "$work/qvx-rs.tty" --log "$work/unit.log" >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/qvx-rs.tty" ] && break; sleep 0.1; done
printf '[Serial]\r\nCOMPort=%s\r\n[Network]\r\nCardNr=0\r\n' "$work/qvx-rs.tty" >VIDideza.ini

# The accessibility bus and its registry up first, as in a desktop session where a screen reader
# runs.
timeout 25 /usr/bin/python3 -c 'import pyatspi; pyatspi.Registry.getDesktop(0).childCount' \
  2>"$work/bus.err" || fail "the accessibility bus did not start: $(cat "$work/bus.err")"
"$program" 2>"$work/program.err" &
program_pid=$!
pids+=($program_pid)
window=""
for _ in $(seq 100); do
  window=$(xdotool search --onlyvisible --name "QVX service tool" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  sleep 0.1
done
if [ -z "$window" ]; then
  alive=no
  kill -0 "$(cat "$work/xvfb.pid")" 2>/dev/null && alive=yes
  fail "no window on the display $DISPLAY (Xvfb running: $alive; its log: $(cat "$work/xvfb.log"))" \
    "the program said: $(head -c 2000 "$work/program.err")"
fi
echo "accessibility_test: the window is on $DISPLAY"
sleep 0.5
timeout 20 xdotool windowfocus --sync "$window" || fail "the window took no focus"
xdotool key Tab space
for _ in $(seq 50); do grep -q 'RCV: ' Test.log 2>/dev/null && break; sleep 0.1; done
grep -q 'RCV: A000A,ON,OK' Test.log || fail "the unit's answer is not in Test.log"

echo "accessibility_test: the window answered Send A; reading it through AT-SPI"
tree=""
for _ in $(seq 4); do
  tree=$(timeout 25 /usr/bin/python3 "$here/atspi_tree.py" VIDideza Response 2>"$work/atspi.err") && break
  echo "accessibility_test: not yet on the bus: $(tail -n 1 "$work/atspi.err")"
  sleep 1
done
[ -n "$tree" ] || fail "the program is not on the accessibility bus: $(cat "$work/atspi.err")"
names=$(cut -f1 <<<"$tree")
for name in "Command A" "Command B" "Command C" "Command D" "Command E" "Command F" \
  "Send A" "Send B" "Send C" "Send D" "Send E" "Send F" "Clear" "Response" \
  "Address of control unit" "Last address of int. port" "Set control unit" \
  "Interface port address" "A (Master RIZ-IDU)" "F (Slave ZIR-ARU)" "Set interface port" \
  "QVX-RS / QVX-NET" "QVX-RS" "QVX-NET" "Serial port"; do
  grep -qxF "$name" <<<"$names" ||
    fail "no control named \"$name\" among: $(tr '\n' '|' <<<"$names") $(cat "$work/atspi.err")"
done
# A field is named by its label, and not only the label itself: two objects bear the name.
[ "$(grep -cxF 'Command A' <<<"$names")" -ge 2 ] || fail "\"Command A\" names only its label"
last=$(sed -n 's/^text\t//p' <<<"$tree")
[ "$last" = "RCV: A000A,ON,OK" ] || fail "the response window's last line reads: $last"
echo "accessibility_test: $(wc -l <<<"$names") named objects; the response window ends with: $last"

#!/usr/bin/env bash
# VIDideza.exe's QVX-NET page under Wine, in the test network (scripts/with-test-network runs
# this script in the computer's namespace, with the simulated unit at 198.51.100.10): the page
# asks the unit and reports "Unit ready", and "Set NET interface" writes the unit; the datagrams
# the unit received are those qvxctl sends for the same fields (checked against the protocol's
# bytes in the Linux window's tests), and no box comes up.
# Usage: win32_net_page_test.sh VIDIDEZA_EXE WINDOW_DRIVER_EXE QVX_UNIT_SIM QVXCTL WINEPREFIX
# Exits 77 (skipped) outside the test network or where a mount namespace cannot be made.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scripts=$here/../../scripts
exe=$(readlink -f "$1")
driver=$(readlink -f "$2")
sim=$(readlink -f "$3")
qvxctl=$(readlink -f "$4")
prefix=$(readlink -f "$5")
fail() {
  echo "win32_net_page_test: FAIL: $*" >&2
  [ -z "${title:-}" ] || "$wine" "$driver" fields "$title" | tr -d '\r' | tr '\n' '|' >&2
  exit 1
}
[ -n "${VIDIDEZA_TEST_UNIT_DIR:-}" ] || { echo "SKIPPED: needs the test network"; exit 77; }
units=$VIDIDEZA_TEST_UNIT_DIR

if [ "${VIDIDEZA_IN_NAMESPACES:-}" != 1 ]; then
  if ! unshare --mount --propagation private true 2>/dev/null; then
    echo "SKIPPED: needs a mount namespace"
    exit 77
  fi
  VIDIDEZA_IN_NAMESPACES=1 exec unshare --mount --propagation private "$0" "$@"
fi
# A /dev with no serial device but the test's own, and a Wine server of this namespace's own.
. "$scripts/private-dev.sh"
make_private_dev
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
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

DISPLAY=$("$scripts/start-xvfb" "$work") || fail "no virtual display"
pids+=("$(cat "$work/xvfb.pid")")
export DISPLAY
# The serial page's port, opened at start: the simulated QVX-RS unit's line.
"$sim" --link "$work/qvx-rs.tty" --log "$work/rs-unit.log" >/dev/null &
pids+=($!)
for _ in $(seq 50); do [ -L "$work/qvx-rs.tty" ] && break; sleep 0.1; done
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM5 /d "$(readlink "$work/qvx-rs.tty")" /f >/dev/null
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

title="QVX service tool for QVX-RS     V2.4"
folder=$work/field
mkdir -p "$folder"
cp "$exe" "$folder/VIDideza.exe"
printf '[Serial]\r\nCOMPort=COM5\r\n[Network]\r\nCardNr=0\r\n' >"$folder/VIDideza.ini"
(cd "$folder" && exec "$wine" VIDideza.exe) &
program=$!
pids+=($program)
for _ in $(seq 300); do
  [ -n "$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null)" ] && break
  sleep 0.1
done
shown() { "$wine" "$driver" | tr -d '\r'; }
shown | grep -q "^$title |" || fail "the window did not appear"

# The fields as a technician types them for this network, then the page. (The card chosen at
# start-up has given the server address already, the computer's own, and its gateway: none.)
"$wine" "$driver" set-text "$title" 192.168.1.10 198.51.100.10 || fail "no unit address field"
"$wine" "$driver" set-text "$title" 198.51.100.1 198.51.100.1 || fail "the server address is not the card's"
"$wine" "$driver" set-text "$title" 0.0.0.0 198.51.100.254 || fail "no gateway field"
"$wine" "$driver" next-tab "$title" || fail "no tabs"
for _ in $(seq 100); do shown | grep -q '| Unit ready' && break; sleep 0.1; done
shown | grep -q '| Unit ready' || fail "no \"Unit ready\": $(shown | grep "^$title")"
grep -q 'IP address (x.x.x.x):10001' <<<"$(shown)" || fail "the unit's command port is not shown"

: >"$units/report"  # the unit appends each datagram it takes
"$wine" "$driver" click "$title" "Set NET interface" || fail "no Set NET interface"
for _ in $(seq 150); do shown | grep -q '| Succesfully set' && break; sleep 0.1; done
shown | grep -q '| Succesfully set' || fail "not set: $(shown | grep "^$title")"
boxes=$(shown | grep '^Vidideza |' || true)
[ -z "$boxes" ] || fail "a box came up: $boxes"
cp "$units/report" "$work/window.report"
grep -q 'set: ip 198.51.100.10, host bits 8, gateway 198.51.100.254, server 198.51.100.1:10100' \
  "$units/unit.log" || fail "the unit was not set as typed: $(tail -n 3 "$units/unit.log")"
"$wine" "$driver" close "$title" || fail "no window to close"
for _ in $(seq 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done

# qvxctl, given the same fields, sends the unit the very datagrams the window sent.
: >"$units/report"
"$qvxctl" net-setup --mac 00-20-4A-E0-2C-BE --ip 198.51.100.10 --mask 255.255.255.0 \
  --gateway 198.51.100.254 --server-ip 198.51.100.1 --server-port 10100 >/dev/null 2>&1 ||
  fail "qvxctl could not set the unit"
[ -s "$work/window.report" ] || fail "the unit received nothing from the window"
cmp -s "$work/window.report" "$units/report" ||
  fail "the window sent: $(cat "$work/window.report") where qvxctl sends: $(cat "$units/report")"
echo "win32_net_page_test: passed ($(grep -c . "$work/window.report") datagrams as qvxctl's)"

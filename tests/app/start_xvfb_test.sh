#!/usr/bin/env bash
# The virtual display of the run command: never one that another X server holds, and a clear
# stop when none can start.
set -u
script=$(cd "$(dirname "$0")/../../scripts" && pwd)/start-xvfb
command -v Xvfb >/dev/null || { echo "SKIPPED: Xvfb is not installed"; exit 77; }
work=$(mktemp -d)
mkdir "$work/first" "$work/second" "$work/none"
cleanup() {
  for f in "$work"/*/xvfb.pid; do [ -f "$f" ] && kill "$(cat "$f")" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

first=$("$script" "$work/first") || fail "the first display did not start"
# Another server holds that display: the second start picks another one.
second=$("$script" "$work/second") || fail "the second display did not start"
[ "$first" != "$second" ] || fail "both on $first"
DISPLAY=$second xdpyinfo >/dev/null 2>&1 || DISPLAY=$second xprop -root >/dev/null ||
  fail "nothing answers on $second"

# No Xvfb that can start: a message and a failure, never a display.
mkdir "$work/bin"
printf '#!/bin/sh\necho "cannot open the screen" >&2\nexit 1\n' >"$work/bin/Xvfb"
chmod +x "$work/bin/Xvfb"
if out=$(PATH="$work/bin:$PATH" "$script" "$work/none" 2>"$work/none/message"); then
  fail "reported $out for an Xvfb that did not start"
fi
grep -q "did not start" "$work/none/message" || fail "no message: $(cat "$work/none/message")"
grep -q "cannot open the screen" "$work/none/message" || fail "Xvfb's reason is not passed on"
echo "PASS: $first and $second; a failed start says: $(head -n 1 "$work/none/message")"

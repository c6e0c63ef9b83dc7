#!/usr/bin/env bash
# The menu launcher runs the program in ~/VIDideza, made when missing, and never in a
# ~/VIDideza that is a link of another user's. Usage: launcher_test.sh LAUNCHER.in
set -euo pipefail
launcher_in=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The launcher as built, with the program replaced by one that tells where it was started.
sed 's|@VIDIDEZA_PROGRAM@|pwd|' "$launcher_in" >"$work/launch"
fail() { echo "FAIL: $*" >&2; exit 1; }

home="$work/home" && mkdir "$home"
[ "$(HOME=$home sh "$work/launch" 2>/dev/null)" = "$home/VIDideza" ] || fail "not started in a new ~/VIDideza"
[ -d "$home/VIDideza" ] || fail "~/VIDideza not made"

# The user's own link is followed.
rm -r "$home/VIDideza" && mkdir "$work/site" && ln -s "$work/site" "$home/VIDideza"
[ "$(HOME=$home sh "$work/launch" 2>/dev/null)" = "$work/site" ] || fail "own link not followed"

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: giving a link to another user needs root"
  exit 77
fi
mkdir "$work/elsewhere" && rm "$home/VIDideza" && ln -s "$work/elsewhere" "$home/VIDideza"
chown -h 65534:65534 "$home/VIDideza"
out=$(HOME=$home sh "$work/launch" 2>"$work/err")
[ "$out" = "$home" ] || fail "another user's link was followed: started in $out"
grep -q "cannot use $home/VIDideza" "$work/err" || fail "no word on standard error"
echo "launcher: started in ~/VIDideza, followed the user's own link, refused another user's"

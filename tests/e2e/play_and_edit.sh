#!/usr/bin/env bash
# Plays the real game like a user on a private X server: walk, punch and kick, open the
# editor with F12, type "id 9" and "save" into its console, go back with F12, quit with
# Escape. Checks the exit status, the saved zone file and the game's output.
# Usage: play_and_edit.sh <morvane binary> <repository root>
set -euo pipefail

game=$1
repo=$2
work=$(mktemp -d)
xvfb=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- game output ---"; cat "$work/game.log" 2>/dev/null || true; exit 1; }

# Our own display: no other test's window can take the keys, and no display race.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

# A copy of the resources, so the save does not touch the repository.
cp -r "$repo/resources" "$work/"
rm -f "$work/resources/lvl/9.zn"
cd "$work"
ALSOFT_DRIVERS=null "$game" --no-settings >"$work/game.log" 2>&1 &
pid=$!

window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
xdotool windowfocus --sync "$window" || true
xdotool mousemove --window "$window" 400 300

# The game polls held keys once a frame: hold each one long enough to be seen.
hold() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.15; }
alive() { kill -0 "$pid" 2>/dev/null || fail "the game ended early"; }

sleep 1
alive
# Walk toward the cursor, then punch at it and spin-kick.
xdotool mousemove --window "$window" 520 360 mousedown 1
sleep 1
xdotool mouseup 1
xdotool mousemove --window "$window" 460 320 mousedown 3
sleep 0.15
xdotool mouseup 3
hold z
alive

# The editor and its console.
hold F12
sleep 0.5
hold grave
xdotool type --delay 80 "id 9"
hold Return
xdotool type --delay 80 "save"
hold Return
sleep 0.5
hold grave
alive
hold F12
sleep 0.5
alive
hold Escape

for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit status $status"
grep -q "Assertion" "$work/game.log" && fail "an assertion fired"

zone="$work/resources/lvl/9.zn"
[ -f "$zone" ] || fail "resources/lvl/9.zn was not saved"
grep -q "Successfully created file: resources/lvl/9.zn !" "$work/game.log" || fail "no creation report"
# The editor's fresh zone: id 9, its name, 10 x 10 tiles, no entities.
header=$(od -An -tx1 -N4 "$zone" | tr -d ' \n')
[ "$header" = "09000000" ] || fail "zone id bytes are $header"
namelen=$(od -An -td4 -j4 -N4 "$zone" | tr -d ' ')
size=$(od -An -td4 -j$((8 + namelen)) -N8 "$zone" | xargs)
[ "$size" = "10 10" ] || fail "zone size is $size"
expected=$((16 + namelen + 100 * 12 + 4))
actual=$(stat -c %s "$zone")
[ "$actual" -eq "$expected" ] || fail "zone file is $actual bytes, expected $expected"
echo "PASS: played, edited, saved zone 9 ($actual bytes), quit with status 0"

#!/usr/bin/env bash
# Records a game played like a user with --record, keeps it with F9 too, and plays both
# back with --replay: each to its end with every checkpoint matching, the second at 8x.
# Then a replay of a changed zone is named and diverges at its first checkpoint (held on
# screen until Escape, status 3); a recording path that cannot be written is said
# and the game plays on; and a replay writes no settings.
# Usage: record_and_replay.sh <morvane binary> <repository root> <zonetool>
set -euo pipefail

game=$1
repo=$2
zonetool=$3
source "$(dirname "$0")/common.sh"
start_display

cp -r "$repo/resources" "$work/"
mkdir -p "$work/home"
cd "$work"

# start ARGS...: the game in the background, its window found and focused.
start() {
  env HOME="$work/home" ALSOFT_DRIVERS=null "$game" "$@" >"$work/game.log" 2>&1 &
  pid=$!
  window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
  xdotool windowfocus --sync "$window" || true
}
# ends STATUS: waits for the game to end with that status.
ends() {
  for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq "$1" ] || fail "exit status $status, not $1"
}

start --no-settings --record "$work/game.mvr"
sleep 1
alive
walk_punch_and_kick
hold d
hold F9
sleep 1
hold Escape 0.5
ends 0
recorded=$(sed -n 's/^Recorded \([0-9]*\) frames to .*game\.mvr$/\1/p' "$work/game.log")
[ -n "$recorded" ] || fail "no line on the recording"
kept=$(sed -n 's/^Replay kept: //p' "$work/game.log")
[ -f "$kept" ] || fail "F9 kept nothing"
case "$kept" in "$work/home/.local/share/morvane/replays/"*.mvr) ;; *) fail "F9 kept $kept";; esac

start --no-settings --replay "$work/game.mvr"
ends 0
grep -qx "Replay ended: $recorded frames, [0-9]* checkpoints match" "$work/game.log" || fail "the replay did not end as recorded"

start --no-settings --replay "$kept"
sleep 1
hold 8
ends 0
grep -q "^Replay ended: " "$work/game.log" || fail "the kept replay did not play to its end"

# A replay writes no settings, even when the sound is changed during it.
start --replay "$kept"
sleep 1
hold m
sleep 1
hold Escape 0.5
ends 0
[ -e "$work/home/.config/morvane/settings.ini" ] && fail "the replay wrote the settings"

# The home street's passer-by a few units along: named before the first frame, and the
# world differs at the first checkpoint; the picture holds until Escape.
"$zonetool" dump resources/lvl/0.zn >"$work/0.txt"
sed -i 's/^pedestrian id 2 at 240 176 /pedestrian id 2 at 244 176 /' "$work/0.txt"
grep -q "^pedestrian id 2 at 244 176 " "$work/0.txt" || fail "zone 0 has no passer-by at 240 176 to move"
"$zonetool" build "$work/0.txt" -o resources/lvl/0.zn >/dev/null
start --no-settings --replay "$work/game.mvr"
for _ in $(seq 300); do grep -q "^Replay diverged at frame" "$work/game.log" && break; sleep 0.1; done
grep -qx "$work/game.mvr: zone 0 is not the one it was recorded with (resources/lvl/0.zn)" "$work/game.log" \
  || fail "the changed zone was not named"
# The first checkpoint, or the world after the last frame when a busy machine recorded fewer.
first=60
[ "$recorded" -lt "$first" ] && first=$recorded
grep -qx "Replay diverged at frame $first (zone 0)" "$work/game.log" || fail "no divergence at frame $first"
sleep 1
alive
hold Escape 0.5
ends 3

# A folder where the recording should go: one line, and the game plays on to Escape.
start --no-settings --record "$work"
for _ in $(seq 100); do grep -q "^Cannot record" "$work/game.log" && break; sleep 0.1; done
alive
grep -qx "Cannot record to $work: a directory, not a file" "$work/game.log" || fail "no line on the unwritable path"
hold Escape 0.5
ends 0

echo "PASS: recorded $recorded frames, kept with F9, replayed both; a changed zone diverged; no settings written"

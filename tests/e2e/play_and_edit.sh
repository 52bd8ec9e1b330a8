#!/usr/bin/env bash
# Plays the real game like a user on a private X server: walk, punch and kick, open the
# editor with F12, type "id 9" and "save" into its console, go back with F12, quit with
# Escape. Checks the exit status, the saved zone file and the game's output.
# Usage: play_and_edit.sh <morvane binary> <repository root>
set -euo pipefail

game=$1
repo=$2
source "$(dirname "$0")/common.sh"
start_display

# A copy of the resources, so the save does not touch the repository.
cp -r "$repo/resources" "$work/"
rm -f "$work/resources/lvl/9.zn"
cd "$work"
ALSOFT_DRIVERS=null "$game" --no-settings >"$work/game.log" 2>&1 &
pid=$!

window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
xdotool windowfocus --sync "$window" || true
xdotool mousemove --window "$window" 400 300

sleep 1
alive
walk_punch_and_kick
alive

# The editor and its console.
edit_save_and_quit "$work/resources/lvl/9.zn"
expect_clean_exit

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

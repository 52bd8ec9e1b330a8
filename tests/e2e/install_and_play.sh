#!/usr/bin/env bash
# Installs the game into a scratch prefix (as the package does), starts the installed
# program from outside both the repository and the prefix, edits and saves a zone, and
# checks that the save went to the player's own folder because the installed zone folder
# cannot be written. As root the game runs as "nobody", for whom it cannot.
# Usage: install_and_play.sh <build dir>
set -euo pipefail

build=$1
work=$(mktemp -d)
chmod 755 "$work"
xvfb=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- game output ---"; cat "$work/game.log" 2>/dev/null || true; exit 1; }

cmake --install "$build" --prefix "$work/prefix" >/dev/null
prefix=$work/prefix
for f in bin/morvane share/applications/morvane.desktop share/icons/hicolor/256x256/apps/morvane.png \
         share/morvane/resources/lvl/0.zn share/morvane/resources/gfx/tiles/0.png; do
  [ -e "$prefix/$f" ] || fail "the install has no $f"
done
chmod -R a-w "$prefix/share/morvane/resources/lvl"
mkdir -m 777 "$work/home" "$work/elsewhere"

# Our own display, open to the unprivileged user the game may run as.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -ac 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(cat "$work/display")"

as_player=()
[ "$(id -u)" -eq 0 ] && as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
cd "$work/elsewhere"
env -i DISPLAY="$DISPLAY" HOME="$work/home" ALSOFT_DRIVERS=null "${as_player[@]}" "$prefix/bin/morvane" \
  >"$work/game.log" 2>&1 &
pid=$!

window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
xdotool windowfocus --sync "$window" || true
hold() { xdotool keydown "$1"; sleep 0.15; xdotool keyup "$1"; sleep 0.15; }
alive() { kill -0 "$pid" 2>/dev/null || fail "the game ended early"; }

sleep 1
alive
xdotool mousemove --window "$window" 520 360 mousedown 1
sleep 0.5
xdotool mouseup 1
hold F12
sleep 0.5
hold grave
xdotool type --delay 80 "id 9"
hold Return
xdotool type --delay 80 "save"
hold Return
sleep 0.5
hold grave
hold F12
sleep 0.5
alive
hold Escape

for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
status=0
wait "$pid" || status=$?
pid=""
[ "$status" -eq 0 ] || fail "exit status $status"
saved="$work/home/.local/share/morvane/lvl/9.zn"
[ -f "$saved" ] || fail "the zone was not saved to the player's folder"
[ -e "$prefix/share/morvane/resources/lvl/9.zn" ] && fail "the zone was saved into the installation"
grep -q "Successfully created file: $saved !" "$work/game.log" || fail "no creation report"
grep -q "Settings: no file at $work/home/.config/morvane/settings.ini" "$work/game.log" || fail "no settings line"
echo "PASS: installed, started from $work/elsewhere, saved $saved"

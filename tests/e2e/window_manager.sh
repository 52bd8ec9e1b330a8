#!/usr/bin/env bash
# The game under a real window manager (openbox) on a private display: fullscreen and
# maximised set from outside are never kept as the player's window, F11 leaves the window
# manager's fullscreen for the player's window, and that window opens again where it was.
# Usage: window_manager.sh <game binary> <repository>
set -euo pipefail

game=$1
repo=$2
source "$(dirname "$0")/common.sh"
start_display
openbox --sm-disable >"$work/openbox.log" 2>&1 &
for _ in $(seq 100); do wmctrl -m >/dev/null 2>&1 && break; sleep 0.1; done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

mkdir -p "$work/config/morvane"
settings=$work/config/morvane/settings.ini
printf '[morvane]\nvolume=80\nmute=0\nfullscreen=0\nwidth=900\nheight=650\noverlay=1\nx=40\ny=30\n' >"$settings"

start_game() {
  cd "$repo"
  XDG_CONFIG_HOME="$work/config" ALSOFT_DRIVERS=null "$game" >"$work/game.log" 2>&1 &
  pid=$!
  cd - >/dev/null
  window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
}
# True when the game's window (found anew: F11 makes another, and the old one may go while
# it is looked at) has this size; sets X, Y, WIDTH and HEIGHT.
size_is() {
  local geometry
  window=$(xdotool search --onlyvisible --name '^MORVANE$' 2>/dev/null | head -n 1) || true
  geometry=$( [ -n "$window" ] && xdotool getwindowgeometry --shell "$window" 2>/dev/null) || geometry=""
  eval "$geometry"
  [ -n "$geometry" ] && [ "$WIDTH x $HEIGHT" = "$1" ]
}
# A busy machine stretches frames and window changes: generous waits, no fixed sleeps.
expect_size() {
  for _ in $(seq 300); do size_is "$1" && return 0; sleep 0.1; done
  fail "the window is not $1 but ${WIDTH:-?} x ${HEIGHT:-?}"
}
# F11 until the window has this size: a key sent while the window is still being made
# or activated can be lost, and is sent again after a while.
toggle_to() {
  for _ in 1 2 3; do
    xdotool windowactivate --sync "$window" 2>/dev/null || true
    hold F11 0.3
    for _ in $(seq 80); do size_is "$1" && return 0; sleep 0.1; done
  done
  fail "F11 did not make the window $1 but ${WIDTH:-?} x ${HEIGHT:-?}"
}
# The window is made (centred) before it is moved to its place: wait for the move.
expect_place() {
  for _ in $(seq 300); do
    eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || true
    [ "$X,$Y" = "$1" ] && return 0
    sleep 0.1
  done
  fail "the window came back at $X,$Y, not at $1"
}
close_game() { wmctrl -i -c "$window"; expect_clean_exit; }
expect_kept() { grep -qx "$1" "$settings" || { cat "$settings"; fail "the settings do not keep $1"; }; }

# The player's window, where the settings put it.
start_game
expect_size "900 x 650"
# Moved there just after it was made: its place is the one it keeps for a second.
place="" steady=0
for _ in $(seq 100); do
  eval "$(xdotool getwindowgeometry --shell "$window")"
  if [ "$X,$Y" = "$place" ]; then steady=$((steady + 1)); else steady=0; place="$X,$Y"; fi
  [ "$steady" -ge 5 ] && break
  sleep 0.2
done
# Made fullscreen from outside, then quit: saved as fullscreen, the player's window kept.
wmctrl -i -r "$window" -b add,fullscreen
expect_size "1024 x 768"
close_game
for line in fullscreen=1 width=900 height=650 x=40 y=30; do expect_kept "$line"; done

# Back in fullscreen; F11 leaves it for the player's window, in its place.
start_game
expect_size "1024 x 768"
toggle_to "900 x 650"
expect_place "$place"
# Made fullscreen from outside again: F11 leaves that too.
wmctrl -i -r "$window" -b add,fullscreen
expect_size "1024 x 768"
toggle_to "900 x 650"
# Maximised from outside, then quit: not fullscreen, the player's window kept.
wmctrl -i -r "$window" -b add,maximized_vert,maximized_horz
for _ in $(seq 300); do xprop -id "$window" _NET_WM_STATE | grep -q MAXIMIZED_HORZ && break; sleep 0.1; done
eval "$(xdotool getwindowgeometry --shell "$window")"
[ "$WIDTH" -gt 900 ] || fail "openbox did not maximise the window"
close_game
for line in fullscreen=0 width=900 height=650 x=40 y=30; do expect_kept "$line"; done
echo "PASS: the window manager's fullscreen and maximised window left the player's window as it was"

# Sourced by the end-to-end scripts: a scratch folder, a private X server, held keys, and
# the editor round trip both scripts play. The caller sets $pid once the game runs.

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

# Our own display: no other test's window can take the keys, and no display race.
# Extra Xvfb options follow as arguments.
start_display() {
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset "$@" 3>"$work/display" >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(cat "$work/display")"
}

# The game polls held keys once a frame: hold each one long enough to be seen (longer by
# a second argument, for a machine busy enough to stretch frames).
hold() { xdotool keydown "$1"; sleep "${2:-0.15}"; xdotool keyup "$1"; sleep 0.15; }
alive() { kill -0 "$pid" 2>/dev/null || fail "the game ended early"; }
# In the game's $window: walk toward the cursor for a second, punch at it, spin-kick.
walk_punch_and_kick() {
  xdotool mousemove --window "$window" 520 360 mousedown 1
  sleep 1
  xdotool mouseup 1
  xdotool mousemove --window "$window" 460 320 mousedown 3
  sleep 0.15
  xdotool mouseup 3
  hold z
}

# True while the editor shows: its top bar over the black beyond its fresh zone.
in_editor() {
  local pixel
  pixel=$(import -window "$window" -crop 1x1+400+10 -depth 8 txt:- 2>/dev/null | grep -o 'srgb([0-9,]*)') || return 1
  [ "$pixel" = "srgb(55,55,78)" ]
}

# F12 to the editor, "id 9" and "save" typed into its console, back with F12, then Escape.
# Keys typed before the editor shows would go to the play state: on a busy machine a
# frame can outlast a held key, so the switch is watched for. The zone file the save is
# expected in is the argument; if it has not appeared after a few seconds the two lines
# are typed once more (a full suite on two busy cores has lost them, rarely).
edit_save_and_quit() {
  local zone=$1 opened=false
  for _ in $(seq 5); do
    hold F12 0.5
    for _ in $(seq 20); do
      if in_editor; then opened=true; break; fi
      sleep 0.25
    done
    $opened && break
  done
  $opened || fail "the editor did not open"
  hold grave
  for attempt in 1 2; do
    xdotool type --delay 80 "id 9"
    hold Return
    xdotool type --delay 80 "save"
    hold Return
    for _ in $(seq 12); do [ -f "$zone" ] && break; sleep 0.25; done
    [ -f "$zone" ] && break
    [ "$attempt" -eq 1 ] && echo "note: the save did not show within 3 s; typing it again"
  done
  hold grave
  alive
  hold F12 0.5
  sleep 0.5
  alive
  hold Escape 0.5
}

# Waits for the game to end; fails unless its status was 0.
expect_clean_exit() {
  for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  local status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "exit status $status"
  if grep -q "Assertion" "$work/game.log"; then fail "an assertion fired"; fi
}

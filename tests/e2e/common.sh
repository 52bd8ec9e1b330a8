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

# F12 to the editor, "id 9" and "save" typed into its console, back with F12, then Escape.
edit_save_and_quit() {
  # F12 switches once per press however long it is held; a long hold outlasts a slow frame.
  hold F12 1
  sleep 0.5
  hold grave
  xdotool type --delay 80 "id 9"
  hold Return
  xdotool type --delay 80 "save"
  hold Return
  sleep 0.5
  hold grave
  alive
  hold F12 0.4
  sleep 0.5
  alive
  hold Escape 0.4
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

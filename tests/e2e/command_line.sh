#!/usr/bin/env bash
# The command line's ends without a game: --help, --version, a bad command line, a replay
# that cannot be played and a missing display each finish at once with their status and
# text, and none of them opens a window (there is no display to open one on) or the audio
# device (OpenAL writes its log file as it starts).
# Usage: command_line.sh <morvane binary> <version> <a replay that plays>
set -euo pipefail

game=$1
version=$2
replay=$3
source "$(dirname "$0")/common.sh"

# run STATUS DISPLAY ARGS...: the game's standard output in $work/out, its errors in $work/err.
run() {
  local expected=$1 display=$2 status=0
  shift 2
  rm -f "$work/openal.log"
  # The sanitizer run's options pass through: its leak check reports on standard error.
  env -i ${display:+DISPLAY=$display} HOME="$work" ALSOFT_DRIVERS=null ALSOFT_LOGLEVEL=3 \
    ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} ${LSAN_OPTIONS:+LSAN_OPTIONS=$LSAN_OPTIONS} \
    ALSOFT_LOGFILE="$work/openal.log" timeout 20 "$game" "$@" >"$work/out" 2>"$work/err" || status=$?
  [ "$status" -eq "$expected" ] || fail "morvane $*: status $status, not $expected"
  [ -e "$work/openal.log" ] && fail "morvane $*: the audio device was opened"
  return 0
}
# same FILE TEXT: the file holds exactly the text and a line break.
same() { [ "$(cat "$1")" = "$2" ] && [ "$(tail -c 1 "$1" | od -An -c | tr -d ' ')" = '\n' ] || fail "$1 holds: $(cat "$1")"; }

run 0 "" --help
[ -s "$work/err" ] && fail "--help wrote errors"
cp "$work/out" "$work/usage"
head -n 1 "$work/usage" | grep -qx 'Usage: morvane \[OPTION\]\.\.\.' || fail "no usage line"
for option in --no-settings --pack --record --replay --help --version; do
  grep -q "^  $option " "$work/usage" || fail "the usage lacks $option"
done

run 0 "" --version
same "$work/out" "morvane $version
zone format: MORVANE zone file 1 (.zn)"

# A bad command line: one line naming it, then the usage, on standard error; nothing else.
for line in "--bogus|unknown option --bogus" "-h|unknown option -h" "--help=yes|option --help takes no value" \
            "--no-settings extra|unexpected argument extra" \
            "--record a.mvr --replay b.mvr|options --record and --replay cannot go together" \
            $'--\e[2J|unknown option --\\x1b[2J'; do
  args=${line%%|*}
  # shellcheck disable=SC2086 # the arguments are meant to split
  run 2 "" $args
  [ -s "$work/out" ] && fail "morvane $args wrote to standard output"
  head -n 1 "$work/err" | grep -qxF "morvane: ${line#*|}" || fail "morvane $args said: $(head -n 1 "$work/err")"
  tail -n +2 "$work/err" | cmp -s - "$work/usage" || fail "morvane $args did not print the usage"
done

# A replay that cannot be played: one line naming it and why, status 2, and nothing written
# (the player's folders stay empty), display or none.
bad=$work/bad
mkdir "$bad"
: >"$bad/empty.mvr"
head -c -5 "$replay" >"$bad/cut.mvr"
cp "$replay" "$bad/damaged.mvr"
printf 'x' | dd of="$bad/damaged.mvr" bs=1 seek=$(($(stat -c %s "$replay") - 2)) conv=notrunc status=none
sed 's/^format=1$/format=2/' "$replay" >"$bad/later.mvr"
truncate -s 4194305 "$bad/huge.mvr"
mkfifo "$bad/fifo.mvr"
mkdir "$bad/folder.mvr"
printf 'MORVANE replay\nformat=1\n\033[2J=1\n\n' >"$bad/odd.mvr"
for line in "empty.mvr|an empty file" "cut.mvr|cut short" "damaged.mvr|damaged (a block does not match its hash)" \
            "later.mvr|format 2, newer than this game's 1" \
            "huge.mvr|4194305 bytes, more than the 4194304 it may hold" "fifo.mvr|a FIFO, not a file" \
            "folder.mvr|a directory, not a file" "missing.mvr|No such file or directory" \
            "odd.mvr|a setting this game does not know: \\x1b[2J=1"; do
  file=$bad/${line%%|*}
  run 2 "" --replay "$file"
  same "$work/out" "Cannot play $file: ${line#*|}"
  [ -s "$work/err" ] && fail "--replay $file wrote errors: $(cat "$work/err")"
  [ -z "$(find "$work" -newer "$bad/folder.mvr" -type f ! -name out ! -name err ! -path "$bad/*")" ] \
    || fail "--replay $file wrote $(find "$work" -newer "$bad/folder.mvr" -type f ! -name out ! -name err)"
done

# No display: one line, status 1, before the media library could abort.
run 1 "" --no-settings
same "$work/out" "Cannot start: no display (DISPLAY is not set)"
unreachable=4242 # far above the numbers xvfb-run and Xvfb -displayfd take
while [ -e "/tmp/.X11-unix/X$unreachable" ]; do unreachable=$((unreachable + 1)); done
run 1 ":$unreachable"
same "$work/out" "Cannot start: cannot open display :$unreachable"
[ -s "$work/err" ] && fail "no display: errors written: $(cat "$work/err")"
# A refused pack: its one line and status 1, before a display is looked for.
mkdir "$work/empty pack"
mkfifo "$work/fifo"
ln -s loop "$work/loop"
printf 'PK not really' >"$work/junk.zip"
for line in "nowhere|No such file or directory" "empty pack|no pack.ini" "fifo|a FIFO, not a pack folder or .zip" \
            "loop|Too many levels of symbolic links" "junk.zip|not a readable .zip (Not a zip archive)"; do
  run 1 "" --pack "$work/${line%%|*}"
  same "$work/out" "Zone pack $work/${line%%|*} refused: ${line#*|}"
  [ -s "$work/err" ] && fail "--pack ${line%%|*}: errors written: $(cat "$work/err")"
done
echo "PASS: --help, --version, five bad command lines, nine bad replays, two missing displays and five refused packs"

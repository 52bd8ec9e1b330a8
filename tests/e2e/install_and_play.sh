#!/usr/bin/env bash
# Installs the game into a scratch prefix (as the package does), starts the installed
# program from outside both the repository and the prefix, edits and saves a zone, and
# checks that the save went to the player's own folder because the installed zone folder
# cannot be written. As root the game runs as "nobody", for whom it cannot.
# Usage: install_and_play.sh <build dir>
set -euo pipefail

build=$1
source "$(dirname "$0")/common.sh"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
prefix=$work/prefix
for f in games/morvane share/applications/morvane.desktop share/icons/hicolor/256x256/apps/morvane.png \
         share/games/morvane/resources/lvl/0.zn share/games/morvane/resources/gfx/tiles/0.png \
         share/man/man6/morvane.6.gz share/metainfo/io.morvane.Morvane.metainfo.xml \
         share/doc/morvane/copyright share/doc/morvane/changelog.gz; do
  [ -e "$prefix/$f" ] || fail "the install has no $f"
done
chmod -R a-w "$prefix/share/games/morvane/resources/lvl"
mkdir -m 777 "$work/home" "$work/elsewhere"

# Open to the unprivileged user the game may run as.
start_display -ac

as_player=()
[ "$(id -u)" -eq 0 ] && as_player=(setpriv --reuid=65534 --regid=65534 --clear-groups)
cd "$work/elsewhere"
env -i DISPLAY="$DISPLAY" HOME="$work/home" ALSOFT_DRIVERS=null "${as_player[@]}" "$prefix/games/morvane" \
  >"$work/game.log" 2>&1 &
pid=$!

window=$(timeout 120 xdotool search --sync --onlyvisible --name '^MORVANE$' | head -n 1) || fail "no game window"
xdotool windowfocus --sync "$window" || true

sleep 2
alive
xdotool mousemove --window "$window" 520 360 mousedown 1
sleep 0.5
xdotool mouseup 1
hold m   # muted: kept in the player's settings file
sleep 1
edit_save_and_quit "$work/home/.local/share/morvane/lvl/9.zn"
expect_clean_exit
saved="$work/home/.local/share/morvane/lvl/9.zn"
[ -f "$saved" ] || fail "the zone was not saved to the player's folder"
[ -e "$prefix/share/games/morvane/resources/lvl/9.zn" ] && fail "the zone was saved into the installation"
grep -q "Successfully created file: $saved !" "$work/game.log" || fail "no creation report"
grep -q "Settings:" "$work/game.log" && fail "a first start spoke of its settings file"
grep -qx "mute=1" "$work/home/.config/morvane/settings.ini" || fail "the mute was not kept in the settings file"
echo "PASS: installed, started from $work/elsewhere, saved $saved"

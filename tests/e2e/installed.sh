#!/usr/bin/env bash
# The installed game: `cmake --install` into a folder of its own puts every
# file in its standard place, and the game started as the desktop menu
# starts it keeps its records in the player's data folder, across runs.
#   installed.sh BUILD_DIR
set -euo pipefail
# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"
build=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/usr"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
for f in bin/tessarin lib/tessarin/libtessarin-pads.so share/applications/org.tessarin.tessarin.desktop \
    share/metainfo/org.tessarin.tessarin.metainfo.xml share/man/man6/tessarin.6.gz \
    share/icons/hicolor/16x16/apps/tessarin.png share/icons/hicolor/48x48/apps/tessarin.png \
    share/icons/hicolor/256x256/apps/tessarin.png; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
for s in about appear add take speed move rotate chord message Ding; do
    [ -s "$prefix/share/tessarin/sounds/$s.wav" ] || fail "sound $s.wav is not installed"
done
grep -qx 'Exec=tessarin --user-data %u' "$prefix/share/applications/org.tessarin.tessarin.desktop" ||
    fail "the desktop entry does not start the game with its data folder"

xvfb_start || fail "Xvfb did not start"
export HOME="$work/home"
unset XDG_DATA_HOME
mkdir -p "$HOME" "$work/elsewhere"
data="$HOME/.local/share/Tessarin"

stopped() { ! kill -0 "$1"; }

# Runs the installed game from the desktop's way until its window shows,
# then ends it with Exit.
# Tried again when the game could not reach the display: Xvfb now and then
# closes a new connection at once while other clients come and go.
run_once() {
    local pid main tries
    for tries in 1 2 3; do
        (cd "$work/elsewhere" && exec "$prefix/bin/tessarin" --user-data >"$work/game.log" 2>&1) &
        pid=$!
        xvfb_track "$pid"
        main=$(xvfb_wait_window '^Tessarin$' 20 "$pid") && break
        wait "$pid" 2>/dev/null || true
        grep -q "could not connect to display" "$work/game.log" || break
    done
    [ -n "$main" ] || fail "the installed game did not show its window: $(tail -n 3 "$work/game.log")"
    xdotool windowfocus --sync "$main"
    xdotool key --clearmodifiers ctrl+x
    xvfb_until 10 stopped "$pid" || fail "Exit did not end the installed game"
}

run_once
[ -s "$data/Tessarin.ini" ] || fail "no records in the player's data folder"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "the game wrote into the folder it was started in"
[ ! -e "$HOME/Tessarin.ini" ] || fail "the records lie loose in the home folder"

# A record made in an earlier run is found again.
sed -i 's/^StandardAPlayer1Name     =Anonymous /StandardAPlayer1Name     =Zed       /' "$data/Tessarin.ini"
cp "$data/Tessarin.ini" "$work/kept.ini"
run_once
cmp -s "$data/Tessarin.ini" "$work/kept.ini" || fail "the records changed between runs"
echo "installed game: 1 passed, 0 failed"

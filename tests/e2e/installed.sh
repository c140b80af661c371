#!/usr/bin/env bash
# The installed game: `cmake --install` into a folder of its own puts every
# file in its standard place, and the game started as the desktop menu
# starts it keeps its records in the player's data folder, across runs.
#   installed.sh BUILD_DIR
set -euo pipefail
build=$(readlink -f "$1")
work=$(mktemp -d)
pids=()
cleanup() { kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix="$work/usr"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install failed"
for f in bin/tessarin share/applications/org.tessarin.tessarin.desktop \
    share/metainfo/org.tessarin.tessarin.metainfo.xml share/man/man6/tessarin.6.gz \
    share/icons/hicolor/16x16/apps/tessarin.png share/icons/hicolor/48x48/apps/tessarin.png \
    share/icons/hicolor/256x256/apps/tessarin.png; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
for s in about appear add take speed move rotate chord message Ding; do
    [ -s "$prefix/share/tessarin/sounds/$s.wav" ] || fail "sound $s.wav is not installed"
done
grep -qx 'Exec=tessarin --user-data' "$prefix/share/applications/org.tessarin.tessarin.desktop" ||
    fail "the desktop entry does not start the game with its data folder"

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 display <&3 || fail "Xvfb did not start"
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb HOME="$work/home"
unset XDG_RUNTIME_DIR XDG_DATA_HOME
mkdir -p "$HOME" "$work/elsewhere"
data="$HOME/.local/share/Tessarin"

# Runs the installed game from the desktop's way until its window shows,
# then ends it with Exit.
run_once() {
    (cd "$work/elsewhere" && exec "$prefix/bin/tessarin" --user-data >"$work/game.log" 2>&1) &
    local pid=$! end=$((SECONDS + 20))
    pids+=("$pid")
    until xdotool search --onlyvisible --pid "$pid" --name '^Tessarin$' >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || fail "the installed game did not show its window"
        sleep 0.05
    done
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --pid "$pid" --name '^Tessarin$' | head -1)"
    xdotool key --clearmodifiers ctrl+x
    end=$((SECONDS + 10))
    while kill -0 "$pid" 2>/dev/null; do
        [ $SECONDS -lt $end ] || fail "Exit did not end the installed game"
        sleep 0.05
    done
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

#!/usr/bin/env bash
# End-to-end: two gamepads play a Duel to its end in the real program on a
# real X display (Xvfb). The pads are SDL's virtual pads, attached inside
# the program and driven through the pipe named by TESSARIN_PAD_SCRIPT (no
# /dev/uinput needed); the program reads them as it reads real ones.
#   pads_on_x.sh PATH/TO/tessarin
# Duel is chosen with keys; then only the pads play: Start of pad 1 begins
# the game, pad 1 takes its piece to the left wall and pad 2 to the right
# (checked on the screen), both drop pieces until the duel ends with its
# message; pad 2 pulled out during the next game pauses it with a message.
set -euo pipefail

# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"

game=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/game.log" ] && sed 's/^/game: /' "$work/game.log" >&2
    [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessarin-pads-fail.png
    exit 1
}
step() { echo "-- $*"; }

xvfb_start || fail "Xvfb did not start"
cd "$work"
mkfifo "$work/pads"
TESSARIN_PAD_SCRIPT="$work/pads" "$game" >"$work/game.log" 2>&1 &
game_pid=$!
xvfb_track "$game_pid"
# Held open for writing for the whole run.
exec 7<>"$work/pads"
pad() { echo "$*" >&7; }
# A press the poll sees: down, a moment, up. (A virtual pad has no queue of
# its own: between two reads it must be held, and outside a game the
# program reads its pads only every 60 ms.)
tap() {
    pad "$1 press $2"
    if [ "$2" = start ]; then sleep 0.15; else sleep 0.03; fi
    pad "$1 release $2"
    sleep 0.03
}

# shellcheck source=cells.sh
source "$(dirname "$0")/cells.sh"

step "start-up, two pads plugged in"
xvfb_until 20 window_named '^Tessarin$' || fail "the main window did not appear"
# The pads come once SDL has started, after the window shows.
sleep 0.5
pad "plug Virtual Pad One"
pad "plug Virtual Pad Two"

step "Duel, started by pad 1's Start"
main=$(main_window)
start_duel_window
tap 1 start
# Pad 1 takes its piece to the left wall, pad 2 to the right; both drop.
for _ in 1 2 3 4 5; do
    tap 1 left
    tap 2 right
done
tap 1 down
tap 2 down
xvfb_until 5 walls_show || fail "the pads' pieces did not reach their walls"

step "both pads drop pieces until the duel ends"
end=$((SECONDS + 60))
until message_window >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || fail "the duel did not end"
    tap 1 a
    tap 1 down
    tap 2 down
done
answer_message

step "pad 2 pulled out mid-game pauses it"
# The curtain runs out; then Start of pad 2 begins the next duel.
sleep 1.5
tap 2 start
sleep 0.3
pad "2 unplug"
# The message box has the program's name for its title.
told() { [ -n "$(window_named '^Tessarin$')" ]; }
xvfb_until 5 told || fail "no message when pad 2 was pulled out"
grep -q "not understood" "$work/game.log" && fail "the program did not understand a pad command"

step "Exit"
key Return
sleep 0.3
focus "$(main_window)"
key ctrl+x
ended() { ! kill -0 "$game_pid"; }
xvfb_until 10 ended || fail "Exit did not end the program"
echo "end-to-end: 1 passed, 0 failed"

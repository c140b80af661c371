#!/usr/bin/env bash
# End-to-end: the real program on a real X display (Xvfb), played with keys
# sent by xdotool, its window's pixels read back with ImageMagick.
#   play_on_x.sh PATH/TO/tessarin
# Started with a mistyped option, which stderr names. One Player: the name
# confirmed, F2, pieces dropped until the game ends, the message dismissed
# with Enter, the curtain run out; the field's cells are checked where the
# game put them, and "Tessarin.ini" is written at start-up (20 lines) and
# left as it was by a game without a record. Then a Duel round with both
# players' keys, and Exit.
set -euo pipefail

# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"

game=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() { echo "FAIL: $*" >&2; [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessarin-e2e-fail.png; exit 1; }
step() { echo "-- $*"; }

# A display of our own.
xvfb_start || fail "Xvfb did not start"

cd "$work"
# A mistyped option is named on stderr and passed over, one of Qt's is not.
"$game" --scael -platform xcb >"$work/game.log" 2>&1 &
game_pid=$!
xvfb_track "$game_pid"

# shellcheck source=cells.sh
source "$(dirname "$0")/cells.sh"

step "start-up"
xvfb_until 20 window_named '^Tessarin$' || fail "the main window did not appear"
main=$(main_window)
[ "$(grep -c 'unknown option' "$work/game.log")" = 1 ] &&
    grep -q 'unknown option --scael' "$work/game.log" ||
    fail "the mistyped option was not named alone on stderr"

# The score file, written at start-up with its 20 default lines (their bytes
# are the core tests' to check), kept to compare with after a game.
expected="$work/expected.ini"
cp "$work/Tessarin.ini" "$expected" || fail "Tessarin.ini was not written"
[ "$(wc -l <"$expected")" = 20 ] || fail "Tessarin.ini does not hold 20 lines"

# Keypad keys are player 2's with Num Lock on.
key Num_Lock


step "One Player"
focus "$main"
key ctrl+o
xvfb_until 10 window_named '^Input Name$' || fail "the name window did not open"
key Return
xvfb_until 10 window_named '^Tessarin \(Standard\)$' || fail "Standard did not come up"
main=$(main_window)
focus "$main"
key F2

# The first piece, dropped straight down, lands in the middle of the floor.
key s
stack_shows() {
    shoot
    local c0 c10 mid=0 x
    c0=$(cell "$main" 363 1060 510 0 17)
    c10=$(cell "$main" 363 1060 510 10 17)
    for x in 3 4 5 6 7; do
        is_black "$(cell "$main" 363 1060 510 "$x" 17)" || mid=1
    done
    is_black "$c0" && is_black "$c10" && [ $mid = 1 ]
}
xvfb_until 5 stack_shows || fail "the dropped piece is not on the field's floor"

step "dropping pieces until the game ends"
game_over() { message_window; }
end=$((SECONDS + 40))
until game_over >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || fail "the game did not end"
    focus "$main"
    key s
    sleep 0.1
done
answer_message
# The curtain fills the field with red, then empties it.
field_empty() {
    shoot
    local y
    for y in 0 8 17; do
        is_black "$(cell "$main" 363 1060 510 5 "$y")" || return 1
    done
}
xvfb_until 10 field_empty || fail "the curtain did not empty the field"
cmp -s "$expected" "$work/Tessarin.ini" || fail "a game without a record changed Tessarin.ini"

step "Duel"
start_duel_window
focus "$main"
key F2
# Player 1 takes the first piece to the left wall, player 2 to the right.
key a a a a a s KP_3 KP_3 KP_3 KP_3 KP_3 KP_2
xvfb_until 5 walls_show || fail "the players' pieces did not reach their walls"

step "Exit"
key ctrl+x
ended() { ! kill -0 "$game_pid"; }
xvfb_until 10 ended || fail "Exit did not end the program"
echo "end-to-end: 1 passed, 0 failed"

#!/usr/bin/env bash
# End-to-end: one person against the computer, the real program on a real X
# display (Xvfb), keys sent by xdotool, pixels read back with ImageMagick.
#   computer_on_x.sh PATH/TO/tessarin
# Game > Two Players > Computer, Hard through the menus' access keys; Duel
# asks player 1's name only; F2; player 1 drops pieces with S alone until a
# message ends the duel. Player 2's field then shows squares the computer
# moved away from where its pieces come in; Enter closes the message, the
# curtain empties both fields, Exit ends the program.
set -euo pipefail

# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"

game=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() { echo "FAIL: $*" >&2; [ -f "$work/shot.png" ] && cp "$work/shot.png" /tmp/tessarin-e2e-computer-fail.png; exit 1; }
step() { echo "-- $*"; }

xvfb_start || fail "Xvfb did not start"
cd "$work"
"$game" >"$work/game.log" 2>&1 &
game_pid=$!
xvfb_track "$game_pid"

# The game's mapped windows of that name (both conditions must hold).
window_named() { xdotool search --all --onlyvisible --pid "$game_pid" --name "$1"; }
# The message window: the size of 3975 x 1890 twips, the program's name as
# its caption.
message_window() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$game_pid" --name '' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" = 265 ] && [ "$HEIGHT" = 126 ] && { echo "$w"; return 0; }
    done
    return 1
}
focus() { xdotool windowfocus --sync "$1"; }
# shellcheck source=cells.sh
source "$(dirname "$0")/cells.sh"

step "start-up"
xvfb_until 20 window_named '^Tessarin$' || fail "the main window did not appear"
main=$(window_named '^Tessarin$' | head -1)

step "Game > Two Players > Computer, Hard"
focus "$main"
key alt+g
sleep 0.3
key t
sleep 0.3
key h
sleep 0.3

step "Duel: only player 1's name"
focus "$main"
key ctrl+d
xvfb_until 10 window_named '^Input Name--Player1$' || fail "no name window for player 1"
key Return
xvfb_until 10 window_named '^Tessarin \(Duel\)$' || fail "Duel did not come up"
window_named '^Input Name--Player2$' && fail "player 2's name was asked"
main=$(window_named '^Tessarin \(Duel\)$' | head -1)

step "player 1 drops pieces until the duel ends"
focus "$main"
key F2
end=$((SECONDS + 60))
until message_window >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || fail "the duel did not end"
    focus "$main"
    key s
    sleep 0.2
done
msg=$(message_window)

# Player 2's pieces come in over columns 3 to 6; the computer moved some away.
shoot
moved=0
for y in 12 13 14 15 16 17; do
    for x in 0 1 2 7 8 9 10; do
        [ "$(cell "$main" 363 6060 510 "$x" "$y")" != 000000 ] && moved=1
    done
done
[ $moved = 1 ] || fail "player 2's pieces all lie where they came in"

focus "$msg"
key Return
message_gone() { ! message_window; }
xvfb_until 5 message_gone || fail "Enter did not close the message"
fields_empty() {
    shoot
    local y
    for y in 0 9 17; do
        [ "$(cell "$main" 363 510 510 5 "$y")" = 000000 ] || return 1
        [ "$(cell "$main" 363 6060 510 5 "$y")" = 000000 ] || return 1
    done
}
xvfb_until 10 fields_empty || fail "the curtain did not empty the fields"

step "Exit"
focus "$main"
key ctrl+x
ended() { ! xvfb_running "$game_pid"; }
xvfb_until 10 ended || fail "Exit did not end the program"
echo "end-to-end against the computer: 1 passed, 0 failed"

# shellcheck shell=bash
# Reading the real game's window for the end-to-end scripts: its windows,
# keys, a screenshot and the colour of one cell of a field. Source it after
# scripts/xvfb.sh; the caller sets $work, where the screenshot is kept, and
# $game_pid, the program whose windows are looked for.

window_named() { xvfb_windows "$1" "$game_pid"; }
# The main window: a window of the game named Tessarin that is not the
# message window.
main_window() {
    local w
    for w in $(window_named '^Tessarin'); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" = 265 ] && [ "$HEIGHT" = 126 ] && continue
        echo "$w"
        return 0
    done
    return 1
}
# The message window: a visible window of the game of the message window's
# size (3975 x 1890 twips); having no caption of its own, it shows the
# program's name.
message_window() {
    local w
    for w in $(xvfb_windows '' "$game_pid"); do
        eval "$(xdotool getwindowgeometry --shell "$w")"
        [ "$WIDTH" = 265 ] && [ "$HEIGHT" = 126 ] && { echo "$w"; return 0; }
    done
    return 1
}
focus() { xdotool windowfocus --sync "$1"; }

key() { xdotool key --clearmodifiers "$@"; }
# Return on the game's message window, which then closes. (fail is the caller's.)
answer_message() {
    local msg
    msg=$(message_window) || fail "no message window"
    focus "$msg"
    key Return
    message_gone() { ! message_window; }
    xvfb_until 5 message_gone || fail "Enter did not close the message"
}
# Game > Two Players > Duel with Ctrl+D in window $main, both names taken as
# offered; $main is then the Duel's window. (fail is the caller's.)
start_duel_window() {
    focus "$main"
    key ctrl+d
    xvfb_until 10 window_named '^Input Name--Player1$' || fail "no name window for player 1"
    key Return
    xvfb_until 10 window_named '^Input Name--Player2$' || fail "no name window for player 2"
    key Return
    xvfb_until 10 window_named '^Tessarin \(Duel\)$' || fail "Duel did not come up"
    main=$(main_window)
}
shoot() { import -window root "$work/shot.png"; }
# The colour (RRGGBB) of the centre of cell (cx, cy) of a field surface at
# (left, top) twips in window $1 whose client area is $2 pixels high, in the
# last screenshot.
cell() {
    local w=$1 client=$2 left=$3 top=$4 cx=$5 cy=$6
    eval "$(xdotool getwindowgeometry --shell "$w")"
    local x=$((X + (left * 2 + 15) / 30 + 2 + 16 * cx + 8))
    local y=$((Y + HEIGHT - client + (top * 2 + 15) / 30 + 2 + 16 * cy + 8))
    convert "$work/shot.png" -format "%[hex:p{$x,$y}]" info: | cut -c1-6
}

is_black() { [ "$1" = "000000" ]; }
# Whether the Duel in window $main shows player 1's piece at the left wall
# of its field and player 2's at the right wall of theirs, in the bottom
# rows (in a new screenshot).
walls_show() {
    shoot
    local y left=0 right=0
    for y in 14 15 16 17; do
        is_black "$(cell "$main" 363 510 510 0 "$y")" || left=1
        is_black "$(cell "$main" 363 6060 510 10 "$y")" || right=1
    done
    is_black "$(cell "$main" 363 510 510 10 17)" && is_black "$(cell "$main" 363 6060 510 0 17)" &&
        [ $left = 1 ] && [ $right = 1 ]
}

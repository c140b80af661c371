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

# shellcheck shell=bash
# Reading the real game's window for the end-to-end scripts: keys, a
# screenshot and the colour of one cell of a field. Source it after
# scripts/xvfb.sh; the caller sets $work, where the screenshot is kept.

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

#!/usr/bin/env bash
# Takes the README's screenshots from the real program under Xvfb:
#   tools/screenshots.sh PATH/TO/tessarin OUTDIR
# Each mode is played for a few seconds with keys, then its window is shot.
set -euo pipefail
# shellcheck source=../scripts/xvfb.sh
source "$(dirname "$0")/../scripts/xvfb.sh"
game=$(readlink -f "$1")
out=$(readlink -f "$2")
mkdir -p "$out"
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
xvfb_start

wait_window() {
    xvfb_wait_window "$1" 15 || { echo "no window $1" >&2; exit 1; }
}
key() { xdotool key --clearmodifiers "$@"; }
# Plays: moves the pieces about and drops them, player by player.
play() {
    local i
    for i in $(seq 1 "$1"); do
        key "${@:2}"
        sleep 0.8
    done
}

shoot_mode() {
    local mode_key=$1 caption=$2 names=$3 file=$4
    shift 4
    cd "$work"
    "$game" >/dev/null 2>&1 &
    local pid=$!
    xvfb_track "$pid"
    xdotool windowfocus --sync "$(wait_window '^Tessarin$')"
    key Num_Lock
    key "$mode_key"
    for _ in $(seq 1 "$names"); do
        wait_window '^Input Name' >/dev/null
        key Return
    done
    local w
    w=$(wait_window "^$caption\$")
    xdotool windowfocus --sync "$w"
    key alt+o b # Game B, for the variety of pieces
    key F2
    "$@"
    import -window "$w" "$out/$file"
    kill "$pid"
}

# The Two Players menu with the computer at Hard chosen, over the Duel
# window; then a Duel against the computer, player 1 at the keys.
shoot_computer() {
    cd "$work"
    "$game" >/dev/null 2>&1 &
    local pid=$!
    xvfb_track "$pid"
    xdotool windowfocus --sync "$(wait_window '^Tessarin$')"
    key ctrl+d
    for _ in 1 2; do
        wait_window '^Input Name' >/dev/null
        key Return
    done
    local w k
    w=$(wait_window '^Tessarin \(Duel\)$')
    xdotool windowfocus --sync "$w"
    for k in alt+g t h alt+g t; do # chosen, then shown again
        key "$k"
        sleep 0.4
    done
    eval "$(xdotool getwindowgeometry --shell "$w")"
    import -window root -crop "${WIDTH}x$HEIGHT+$X+$Y" +repage "$out/computer-menu.png"
    key Escape Escape
    key alt+o b
    key F2
    play 8 a a s d d d s w s
    import -window "$w" "$out/computer.png"
    kill "$pid"
}

shoot_mode ctrl+o "Tessarin \\(Standard\\)" 1 standard.png \
    play 7 a a s d d d s w s
shoot_mode ctrl+d "Tessarin \\(Duel\\)" 2 duel.png \
    play 6 a a a s d d KP_1 KP_1 KP_2 KP_3 KP_3 KP_3 KP_5 KP_2
shoot_mode ctrl+c "Tessarin \\(Cooperation\\)" 2 cooperation.png \
    play 6 a s KP_3 KP_2 a a w s KP_3 KP_3 KP_5 KP_2
shoot_computer
echo "screenshots in $out"

#!/usr/bin/env bash
# Takes the README's screenshots from the real program under Xvfb:
#   tools/screenshots.sh PATH/TO/tessarin OUTDIR
# Each mode is played for a few seconds with keys, then its window is shot.
set -euo pipefail
game=$(readlink -f "$1")
out=$(readlink -f "$2")
mkdir -p "$out"
work=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT

exec 3<> <(:)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
read -r -t 10 display <&3
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
unset XDG_RUNTIME_DIR

wait_window() {
    local end=$((SECONDS + 15))
    until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ $SECONDS -lt $end ] || { echo "no window $1" >&2; exit 1; }
        sleep 0.05
    done
    xdotool search --onlyvisible --name "$1" | head -1
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
    pids+=("$pid")
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
    pids+=("$pid")
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

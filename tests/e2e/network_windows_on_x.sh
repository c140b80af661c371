#!/usr/bin/env bash
# End-to-end: the windows either program of a network Duel shows while the
# two talk, between real programs on one machine over the loopback on a
# real X display (Xvfb), as network_on_x.sh plays them:
#   network_windows_on_x.sh PATH/TO/tessarin PATH/TO/x_close
#   a slow name: the host's player leaves the name window open for 15 s
#     while the joiner waits, then names player 1: the game starts (the
#     joiner's title names the host's player), and the joiner's keys play
#     it (the host kept reading all along);
#   the joiner leaves while the host's name window is open: the host's
#     player is told, confirms the names (player 2's too, the keyboard's
#     seat again), hosts again, and a new join plays;
#   the end of a duel: the host's message ("... Wins!") is shown by the
#     joiner too, with the same text; each player closes their own with
#     Return, and the next duel is played.
# Each case ends with both programs exiting with status 0 and no output
# naming a crash or a sanitizer's report.
set -uo pipefail

here=$(dirname "$0")
# shellcheck source=../../scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"
# shellcheck source=cells.sh
source "$here/cells.sh"
# shellcheck source=network.sh
source "$here/network.sh"

network_setup 45100 "$1" "$2"

# A host waiting, a joiner at its door: the host asks player 1's name.
joiner_at_the_door() {
    start host
    host=$started
    host_game "$host" 1
    start joiner
    joiner=$started
    join_game "$joiner"
    name=$(name_window) || fail "no name window at the host"
}

slow_name() {
    joiner_at_the_door
    step "the host's name window stays open for 15 s"
    local until=$((SECONDS + 15))
    while [ $SECONDS -lt $until ]; do
        alive "$host" || fail "the host ended"
        alive "$joiner" || fail "the joiner ended"
        has_window "$host" '^Input Name--Player1$' || fail "the host's name window closed"
        no_message "$host" || fail "the host gave up the joiner while its player typed the name"
        ! grep '^tessarin: ' "$(log "$joiner")" || fail "the joiner was told the above"
        sleep 0.5
    done
    step "the host's player names player 1; the duel is played"
    focus "$name"
    key ctrl+a
    xdotool type --delay 20 Dana
    key Return
    xvfb_until 10 has_window "$host" '^Tessarin \(Duel\)$' || fail "Duel did not come up at the host"
    xvfb_until 10 has_window "$joiner" "$joined_title" || fail "the joiner does not show the Duel"
    no_message "$host" || fail "the host shows a message"
    has_window "$joiner" '^Tessarin \(Duel\) - with Dana$' || fail "the joiner's title does not name Dana"
    start_duel
    joiner_moves_left "$joiner"
    finish "$joiner"
}

leave_during_name() {
    joiner_at_the_door
    step "the joiner cancels its join while the host's name window is open"
    focus "$(window_of "$joiner" '^Join a Network Game$')"
    key Escape
    xvfb_until 5 no_window "$joiner" '^Join a Network Game$' || fail "the joiner's Join window stayed"
    step "the host's player is told, and confirms the names the Duel's set-up asks"
    w=$(wait_message "$host" 15) || fail "the host did not tell its player that the joiner left"
    answer "$host" "$w"
    has_window "$host" '^Input Name--Player1$' || fail "the host's name window closed by itself"
    answer "$host" "$name"
    # Player 2's seat is the keyboard's again: the set-up asks that name too.
    w=$(xvfb_wait_window '^Input Name--Player2$' 5 "$host") || fail "no name window for player 2"
    answer "$host" "$w"
    xvfb_until 5 no_window "$host" '^Host a Network Game$' || fail "the host still waits in its Host window"
    no_message "$host" || fail "the host shows another message"
    alive "$host" || fail "the host ended"
    step "the host hosts again; the joiner joins again"
    host_game "$host" 2
    join_play_and_finish
}

game_over() {
    host_and_joiner
    # Side by side, so that the messages over them show whole.
    place "$(window_of "$joiner" "$joined_title")" 0 0
    place "${main_window[$host]}" 640 0
    step "the host's player drops pieces until the duel ends"
    local end=$((SECONDS + 60)) hm jm
    while no_message "$host"; do
        [ $SECONDS -lt $end ] || fail "the duel did not end"
        focus "${main_window[$host]}"
        key s
        sleep 0.1
    done
    hm=$(messages "$host" | head -1)
    step "the joiner shows the host's message, with the same text"
    jm=$(wait_message "$joiner" 5) || fail "the joiner was not shown how the duel ended"
    place "$jm" 0 600
    place "$hm" 640 600
    shoot
    picture() { # window: its picture in the last screenshot, as text
        eval "$(xdotool getwindowgeometry --shell "$1")"
        convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage txt:- | tail -n +2 |
            sed 's/^[0-9]*,[0-9]*: //'
    }
    [ -n "$(picture "$hm")" ] || fail "could not read the host's message"
    [ "$(picture "$jm")" = "$(picture "$hm")" ] || fail "the joiner's message does not look like the host's"
    step "each player closes their own with Return; the next duel is played"
    answer "$joiner" "$jm"
    xvfb_windows '' "$host" | grep -qx "$hm" || fail "the joiner's Return closed the host's message"
    answer "$host" "$hm"
    xvfb_until 20 fields_empty || fail "the curtain did not run at the host"
    start_duel
    joiner_moves_left "$joiner"
    finish "$joiner"
}

run_case slow_name "a slow name at the host"
run_case leave_during_name "the joiner leaves while the host's name window is open"
run_case game_over "the end of a duel on both sides"
summary "end-to-end network windows"

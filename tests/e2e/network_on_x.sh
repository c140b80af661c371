#!/usr/bin/env bash
# End-to-end: network Duels between real programs on one machine over the
# loopback, on a real X display (Xvfb), keys sent by xdotool, pixels read
# back with ImageMagick, every message answered as a player would.
#   network_on_x.sh PATH/TO/tessarin PATH/TO/x_close
# The host: Game > Two Players > Host a Network Game, Start; the joiner:
# Join a Network Game with 127.0.0.1, the port and the code the host wrote
# to its log; the host names player 1 and starts with F2. Each way a game
# between the two can end, with the joiner's window up, in a case of its
# own; whoever is told shows a message, and OK on it must leave the program
# running and ready for a new join, which each case then makes:
#   the host leaves (the same command again, Yes)   - the joiner is told;
#   the host exits (Ctrl+X) in play                 - the joiner is told;
#   the joiner closes its window in play            - the host is told;
#   the joiner is killed in play                    - the host is told;
#   the host is killed in play (the connection cut) - the joiner is told.
# Each case ends with both programs exiting with status 0 and no output
# naming a crash or a sanitizer's report. (network_windows_on_x.sh: the
# host's windows during a join, and the end of a duel on both sides.)
set -uo pipefail

here=$(dirname "$0")
# shellcheck source=../../scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"
# shellcheck source=cells.sh
source "$here/cells.sh"
# shellcheck source=network.sh
source "$here/network.sh"

network_setup 47100 "$1" "$2"

host_leaves() {
    host_and_joiner
    step "the joiner's A moves player 2's piece in both windows"
    joiner_moves_left "$joiner"
    [ -z "${NETWORK_SHOT:-}" ] || cp "$work/shot.png" "$NETWORK_SHOT" # to look at both windows
    step "the host's player stops the duel and chooses Host a Network Game... again, Yes"
    focus "${main_window[$host]}"
    key ctrl+q
    two_players_menu "$host" o
    w=$(wait_message "$host" 10) || fail "the host was not asked whether to end the network game"
    answer "$host" "$w" y
    told_and_answered "$joiner" "The host has left the game." 1
    step "a new join"
    host_game "$host" 2
    join_play_and_finish
}

host_exits() {
    host_and_joiner
    step "the host's player exits (Ctrl+X) in play"
    exit_program "$host"
    told_and_answered "$joiner" "The host has left the game." 1
    step "a new host; the joiner joins it"
    start host2
    host=$started
    host_game "$host" 1
    join_play_and_finish
}

joiner_leaves() {
    host_and_joiner
    step "the joiner closes its window in play"
    joiner_closes "$joiner"
    step "the host hosts again; the joiner joins again"
    host_game "$host" 2
    join_play_and_finish
}

joiner_killed() {
    host_and_joiner
    step "the joiner is killed in play"
    kill -9 "$joiner"
    wait "$joiner" 2>/dev/null
    w=$(wait_message "$host" 15) || fail "the host did not tell its player that the joiner was lost"
    answer "$host" "$w"
    xvfb_until 15 fields_empty || fail "the host's game did not end as Stop ends it"
    step "the host hosts again; a new joiner joins"
    host_game "$host" 2
    start joiner2
    joiner=$started
    join_play_and_finish
}

connection_cut() {
    host_and_joiner
    step "the host is killed in play"
    kill -9 "$host"
    wait "$host" 2>/dev/null
    told_and_answered "$joiner" "The connection to the host was lost." 1
    step "a new host; the joiner joins it"
    start host2
    host=$started
    host_game "$host" 1
    join_play_and_finish
}

run_case host_leaves "the host leaves while the joiner's window is up"
run_case host_exits "the host exits while the joiner plays"
run_case joiner_leaves "the joiner closes its window"
run_case joiner_killed "the joiner is killed"
run_case connection_cut "the connection is cut (the host is killed)"
summary "end-to-end network play"

#!/usr/bin/env bash
# End-to-end: a Duel the way friends on the internet start one, between real
# programs on one machine, on a real X display (Xvfb):
#   internet_on_x.sh PATH/TO/tessarin PATH/TO/x_close PATH/TO/fake_router
# A simulated home router runs on the loopback (UPnP and NAT-PMP). The host
# hosts a Duel: its router opens the port. The joiner is started as
# `tessarin LINK` with the link the host wrote, its address turned to the
# IPv6 loopback ([::1]) as a friend's would be the router's: the Join window
# comes up filled in, asks only the name, and the two play over TLS. When
# the host exits, the mapping is gone from the router.
set -uo pipefail

here=$(dirname "$0")
# shellcheck source=../../scripts/xvfb.sh
source "$here/../../scripts/xvfb.sh"
# shellcheck source=cells.sh
source "$here/cells.sh"
# shellcheck source=network.sh
source "$here/network.sh"

router_program=$(readlink -f "$3")
network_setup 46100 "$1" "$2"

by_link() {
    step "a simulated router on the loopback"
    "$router_program" --address 127.0.0.1 --log "$work/router.txt" >/dev/null 2>&1 &
    case_pids+=("$!")
    ready() { grep -q '^ready' "$work/router.txt" 2>/dev/null; }
    xvfb_until 10 ready || fail "the simulated router did not start"
    export TESSARIN_ROUTER=127.0.0.1

    step "the host hosts; its router opens the port"
    start host
    host=$started
    host_game "$host" 1
    mapped() { grep -q "^added .*$port" "$work/router.txt"; }
    xvfb_until 15 mapped || fail "the host's port was not mapped: $(cat "$work/router.txt")"
    link=$(sed -n 's/^tessarin: join link //p' "$(log "$host")" | tail -1)
    [[ $link == tessarin://*key=* ]] || fail "the host wrote no link with its key: '$link'"
    link=$(sed -E "s#^tessarin://(\[[^]]*\]|[^/]*)/#tessarin://[::1]:$port/#" <<<"$link")
    step "the joiner is started as: tessarin $link"
    start joiner "$link"
    joiner=$started
    w=$(xvfb_wait_window '^Join a Network Game$' 10 "$joiner") || fail "no Join window at the joiner"
    focus "$w"
    key Return # the name offered
    w=$(name_window) || fail "no name window at the host"
    focus "$w"
    key Return
    xvfb_until 10 has_window "$host" '^Tessarin \(Duel\)$' || fail "Duel did not come up at the host"
    xvfb_until 10 has_window "$joiner" "$joined_title" || fail "the joiner does not show the Duel"
    no_message "$joiner" || fail "the joiner by link was asked something more"
    start_duel
    joiner_moves_left "$joiner"

    step "both leave; the router's mapping goes with the host"
    finish "$joiner"
    unmapped() { grep -q "^removed .*$port" "$work/router.txt"; }
    unmapped || fail "the mapping stayed after the host exited: $(cat "$work/router.txt")"
}

run_case by_link "joining by link over IPv6, the router opening the port"
summary internet_on_x

#!/usr/bin/env bash
# End-to-end: a network Duel between two real programs on one machine over
# the loopback, on a real X display (Xvfb), keys sent by xdotool, pixels
# read back with ImageMagick.
#   network_on_x.sh PATH/TO/tessarin
# The host: Game > Two Players > Host a Network Game, Start; the joiner:
# Join a Network Game with 127.0.0.1, the default port and the code the
# host wrote to its log. The host names player 1 and starts with F2; the
# joiner's player 1 Left key (A) moves player 2's piece to the left wall in
# both windows. The joiner is killed: the host tells its player and goes
# on. A second joiner gets in; the host is closed: the joiner is told and
# its start window takes the keys again.
set -euo pipefail

# shellcheck source=../../scripts/xvfb.sh
source "$(dirname "$0")/../../scripts/xvfb.sh"

game=$(readlink -f "$1")
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() {
    echo "FAIL: $*" >&2
    import -window root /tmp/tessarin-e2e-network-fail.png 2>/dev/null || true
    tail -n 5 "$work"/*.log >&2 || true
    exit 1
}
step() { echo "-- $*"; }
port=$((47100 + $$ % 500))

xvfb_start 1280x1024x24 || fail "Xvfb did not start"
mkdir -p "$work/host" "$work/joiner" "$work/joiner2"

start() { # folder; prints the pid
    (cd "$work/$1" && exec "$game" >"$work/$1.log" 2>&1) &
    xvfb_track $!
    echo $!
}
window_of() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -1; }
has_window() { [ -n "$(window_of "$1" "$2")" ]; }
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
# shellcheck source=cells.sh
source "$(dirname "$0")/cells.sh"
# Whether player 2's field (6060, 510 twips) shows a square in column 0.
at_left_wall() {
    local w=$1 client=$2 y
    for y in 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17; do
        [ "$(cell "$w" "$client" 6060 510 0 "$y")" != 000000 ] && return 0
    done
    return 1
}

host_menu() { # item's access key
    focus "$1"
    key alt+g
    sleep 0.3
    key t
    sleep 0.3
    key "$2"
}
join_game() { # pid, folder
    local pid=$1 code
    xvfb_until 20 has_window "$pid" '^Tessarin$' || fail "the joiner's window did not appear"
    host_menu "$(window_of "$pid" '^Tessarin$')" j
    xvfb_until 10 has_window "$pid" '^Join a Network Game$' || fail "no join window"
    code=$(sed -n 's/.*join code \([A-Z0-9-]*\).*/\1/p' "$work/host.log" | tail -1)
    focus "$(window_of "$pid" '^Join a Network Game$')"
    xdotool type --delay 20 "127.0.0.1"
    key Tab
    key ctrl+a
    xdotool type --delay 20 "$port"
    key Tab
    xdotool type --delay 20 "$code"
    key Return
}

# Hosting from the host's window $1 on $port, for the n-th time ($2).
host_game() {
    host_menu "$1" o
    xvfb_until 10 has_window "$host" '^Host a Network Game$' || fail "no host window (hosting $2)"
    focus "$(window_of "$host" '^Host a Network Game$')"
    key ctrl+a # the port
    xdotool type --delay 20 "$port"
    key Return
    hosted() { [ "$(grep -c "hosting on port $port" "$work/host.log")" -ge "$1" ]; }
    xvfb_until 10 hosted "$2" || fail "the host did not listen (hosting $2)"
}
# Joiner $1 joins; the host's player names player 1.
join_and_name() {
    join_game "$1"
    xvfb_until 10 has_window "$host" '^Input Name--Player1$' || fail "no name window at the host"
    focus "$(window_of "$host" '^Input Name--Player1$')"
    key Return
}

step "the host waits"
host=$(start host)
xvfb_until 20 has_window "$host" '^Tessarin$' || fail "the host's window did not appear"
host_game "$(window_of "$host" '^Tessarin$')" 1

step "the joiner joins; the host names player 1"
joiner=$(start joiner)
join_and_name "$joiner"
xvfb_until 10 has_window "$host" '^Tessarin \(Duel\)$' || fail "Duel did not come up at the host"
xvfb_until 10 has_window "$joiner" '^Tessarin \(Duel\)$' || fail "the joiner does not show the Duel"
hmain=$(window_of "$host" '^Tessarin \(Duel\)$')
jmain=$(window_of "$joiner" '^Tessarin \(Duel\)$')

step "F2 at the host; the joiner's A moves player 2's piece in both windows"
focus "$hmain"
key F2
sleep 0.5
focus "$jmain"
key a a a a a a
host_sees() { shoot; at_left_wall "$hmain" 363; }
joiner_sees() { shoot; eval "$(xdotool getwindowgeometry --shell "$jmain")"; at_left_wall "$jmain" "$HEIGHT"; }
xvfb_until 5 host_sees || fail "player 2's piece did not reach the left wall at the host"
xvfb_until 5 joiner_sees || fail "player 2's piece did not reach the left wall at the joiner"
[ -z "${NETWORK_SHOT:-}" ] || cp "$work/shot.png" "$NETWORK_SHOT" # to look at both windows

step "the joiner is killed; the host tells its player and goes on"
kill -9 "$joiner"
xvfb_until 15 has_window "$host" '^Tessarin$' || fail "the host did not tell its player"
focus "$(window_of "$host" '^Tessarin$')"
key Return
sleep 0.5
xvfb_running "$host" || fail "the host ended"
has_window "$host" '^Tessarin \(Duel\)$' || fail "the host's window is gone"
fields_empty() {
    shoot
    local y
    for y in 0 9 17; do
        [ "$(cell "$hmain" 363 510 510 5 "$y")" = 000000 ] || return 1
        [ "$(cell "$hmain" 363 6060 510 5 "$y")" = 000000 ] || return 1
    done
}
xvfb_until 15 fields_empty || fail "the host's game did not end as Stop ends it"
sleep 0.5

step "a second joiner; the host is closed; the joiner returns to its start window"
host_game "$hmain" 2
joiner2=$(start joiner2)
join_and_name "$joiner2"
xvfb_until 10 has_window "$joiner2" '^Tessarin \(Duel\)$' || fail "the second joiner does not show the Duel"
focus "$(window_of "$host" '^Tessarin \(Duel\)$')"
key ctrl+x
ended() { ! xvfb_running "$host"; }
xvfb_until 10 ended || fail "Exit did not end the host"
told() { has_window "$joiner2" '^Tessarin$' && ! has_window "$joiner2" '^Tessarin \(Duel\)$'; }
xvfb_until 15 told || fail "the joiner was not told"
grep -q "The host has left the game" "$work/joiner2.log" || fail "the joiner was not told that the host left"
focus "$(window_of "$joiner2" '^Tessarin$')"
key Return
sleep 0.3
xvfb_running "$joiner2" || fail "the joiner ended"
echo "end-to-end network play: 1 passed, 0 failed"

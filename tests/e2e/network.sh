# shellcheck shell=bash
# Network play between real programs for the end-to-end scripts: starting
# them, hosting, joining, the windows each shows and answering them. Source
# it after scripts/xvfb.sh and cells.sh, then call network_setup.
#
# Each program runs in a folder of its own under $work, its output in
# $work/NAME.log; the joiner writes every ending it is told of there as
# "tessarin: TEXT". A program's main window is the first it shows; its other
# windows named "Tessarin" are the messages it shows over it (both the
# program's own message boxes and the windows of the game).

step() { echo "   $*"; }

# network_setup FIRST_PORT PROGRAM X_CLOSE: the programs, a folder of the
# run's own ($work), ports of its own from FIRST_PORT on, and the display.
network_setup() {
    game=$(readlink -f "$2")
    x_close=$(readlink -f "$3")
    work=$(mktemp -d)
    xvfb_at_exit 'rm -rf "$work"'
    port=$(($1 + $$ % 400 * 10))
    # Nothing leaves the machine: no router is asked unless a script starts
    # its own on the loopback, and the host's key is kept in the run's folder.
    export TESSARIN_ROUTER=${TESSARIN_ROUTER:-off}
    export XDG_DATA_HOME=$work/data
    xvfb_start 1280x1024x24 || fail "Xvfb did not start"
}

# Says what failed, with a picture of the screen and the programs' last
# words, and ends the case (or the script).
fail() {
    echo "FAIL: $*" >&2
    xvfb_alive || echo "(the X display has gone)" >&2
    import -window root "/tmp/tessarin-e2e-network-${case_name:-start}.png" 2>/dev/null || true
    tail -n 5 "$work/${case_name:-}"*.log >&2 || true
    show_reports
    exit 1
}

declare -A main_window=() # pid: the id of its main window
declare -A name_of=()     # pid: its folder's name, and its log's

# Starts the program in $work/CASE-$1 (CASE: the case that runs), with the
# arguments that follow; sets $started to its pid once its main window is
# there.
# Tried again when the program could not reach the display: Xvfb now and
# then closes a new connection at once while other clients come and go.
start() {
    local name=${case_name:+$case_name-}$1 w tries
    shift
    mkdir -p "$work/$name"
    for tries in 1 2 3; do
        # Freed memory filled at once, so that a program that reads what
        # it has freed goes wrong here rather than by chance.
        (cd "$work/$name" && MALLOC_PERTURB_=190 exec "$game" "$@" >"$work/$name.log" 2>&1) &
        started=$!
        case_pids+=("$started")
        name_of[$started]=$name
        w=$(xvfb_wait_window '^Tessarin$' 20 "$started") && break
        wait "$started" 2>/dev/null
        grep -q "could not connect to display" "$work/$name.log" || break
    done
    [ -n "$w" ] || fail "$name's window did not appear"
    main_window[$started]=$w
}
window_of() { xvfb_windows "$2" "$1" | head -1; }
has_window() { [ -n "$(window_of "$1" "$2")" ]; }
no_window() { ! has_window "$1" "$2"; }
focus() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"; }
alive() { xvfb_running "$1"; }
# The messages process $1 shows: its windows named "Tessarin" but its main
# one. (The game's own message window has that name only as _NET_WM_NAME,
# which xdotool's search does not read.)
messages() {
    local w
    for w in $(xvfb_windows '' "$1"); do
        [ "$w" != "${main_window[$1]}" ] && [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Tessarin ] &&
            echo "$w"
    done
}
has_message() { [ -n "$(messages "$1")" ]; }
no_message() { [ -z "$(messages "$1")" ]; }
# The first message of $1, waited for at most $2 seconds.
wait_message() {
    xvfb_until "$2" has_message "$1" || return 1
    messages "$1" | head -1
}
# Presses Return (or key $3) on message $2 of process $1 and sees it close
# with the program still running.
answer() {
    local pid=$1 w=$2 k=${3:-Return}
    focus "$w"
    key "$k"
    gone() { ! xvfb_windows '' "$pid" | grep -qx "$w"; }
    xvfb_until 5 gone || fail "a message of ${name_of[$pid]} did not close on $k"
    alive "$pid" || fail "${name_of[$pid]} ended after its message was answered"
}
# The log of process $1.
log() { echo "$work/${name_of[$1]}.log"; }
# Waits until joiner $1 has been told $2 for the n-th time ($3) and shows
# it, answers it and sees the host's game gone from its screen, still
# running itself. Text and count both: one joiner goes through many endings.
told_and_answered() {
    local pid=$1 text=$2 n=$3 who=${name_of[$1]} w
    told() { [ "$(grep -cF "tessarin: $text" "$(log "$pid")")" -ge "$n" ]; }
    xvfb_until 15 told || fail "$who was not told \"$text\" (time $n)"
    w=$(wait_message "$pid" 5) || fail "$who logged \"$text\" but shows no message"
    answer "$pid" "$w"
    xvfb_until 5 no_window "$pid" "$joined_title" || fail "$who still shows the host's game"
    alive "$pid" || fail "$who ended after \"$text\""
}
# The joiner's view of the host's game (whose title may name the host).
joined_title='^Tessarin \((Duel|Cooperation)\)( - with .*)?$'

# The number of windows process $1 shows (its menus among them).
shown() { xvfb_windows '' "$1" | wc -l; }
more_shown() { [ "$(shown "$1")" -gt "$2" ]; }
# Presses key $3 until process $1 shows more than $2 windows (a menu
# opened): a key that comes as a menu is being shown, before it has the
# keyboard, goes to the window under it.
open_with() {
    local tries
    for tries in 1 2 3; do
        key "$3"
        xvfb_until 1 more_shown "$1" "$2" && return 0
    done
    return 1
}
# Game > Two Players > item (access key $2) in the main window of process $1.
two_players_menu() {
    local pid=$1 n
    alive "$pid" || fail "${name_of[$pid]} has ended"
    n=$(shown "$pid")
    focus "${main_window[$pid]}"
    open_with "$pid" "$n" alt+g || fail "the Game menu of ${name_of[$pid]} did not open"
    open_with "$pid" $((n + 1)) t || fail "Two Players of ${name_of[$pid]} did not open"
    key "$2"
}
# Host $1 hosts a Duel on $port and waits in its window for hosting; the
# host's log then says so for the n-th time ($2).
host_game() {
    local host=$1 n=$2 w
    two_players_menu "$host" o
    w=$(xvfb_wait_window '^Host a Network Game$' 10 "$host") || fail "no host window (hosting $n)"
    focus "$w"
    key ctrl+a # the port
    xdotool type --delay 20 "$port"
    key Return
    hosted() { [ "$(grep -c "hosting on port $port" "$(log "$host")")" -ge "$n" ]; }
    xvfb_until 10 hosted || fail "the host did not listen (hosting $n)"
}
# Joiner $1 fills in the Join window with the code of the host's last
# hosting and presses Join; asked whether the host's key is the one the
# host's window shows, its player says yes.
join_game() {
    local pid=$1 code w
    two_players_menu "$pid" j
    w=$(xvfb_wait_window '^Join a Network Game$' 10 "$pid") || fail "no join window"
    code=$(sed -n 's/.*join code \([A-Z0-9-]*\).*/\1/p' "$(log "$host")" | tail -1)
    focus "$w"
    key Tab # past the Link field, to the address
    xdotool type --delay 20 "127.0.0.1"
    key Tab
    key ctrl+a
    xdotool type --delay 20 "$port"
    key Tab
    xdotool type --delay 20 "$code"
    key Return
    w=$(wait_message "$pid" 10) || fail "the joiner was not asked about the host's key"
    answer "$pid" "$w" y
}
# The host's name window for player 1 once a joiner is in.
name_window() { xvfb_wait_window '^Input Name--Player1$' 10 "$host"; }
# Joiner $1 joins host $host; the host's player names player 1 ($2, else
# the name offered); both show the Duel.
join_and_name() {
    local w
    join_game "$1"
    w=$(name_window) || fail "no name window at the host"
    focus "$w"
    if [ -n "${2:-}" ]; then
        key ctrl+a
        xdotool type --delay 20 "$2"
    fi
    key Return
    xvfb_until 10 has_window "$host" '^Tessarin \(Duel\)$' || fail "Duel did not come up at the host"
    xvfb_until 10 has_window "$1" "$joined_title" || fail "the joiner does not show the Duel"
}
# F2 at the host: a duel starts.
start_duel() {
    focus "${main_window[$host]}"
    key F2
    sleep 0.3
}

# Whether player 2's field (6060, 510 twips) in window $1, whose client
# area is $2 pixels high, shows a square in column 0.
at_left_wall() {
    local w=$1 client=$2 y
    for y in 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17; do
        [ "$(cell "$w" "$client" 6060 510 0 "$y")" != 000000 ] && return 0
    done
    return 1
}
# The joiner $1 plays player 2 to the left wall with A; both windows show it.
joiner_moves_left() {
    local jw
    jw=$(window_of "$1" "$joined_title")
    focus "$jw"
    key a a a a a a
    host_sees() { shoot && at_left_wall "${main_window[$host]}" 363; }
    joiner_sees() {
        shoot && eval "$(xdotool getwindowgeometry --shell "$jw")" && at_left_wall "$jw" "$HEIGHT"
    }
    xvfb_until 5 host_sees || fail "player 2's piece did not reach the left wall at the host"
    xvfb_until 5 joiner_sees || fail "player 2's piece did not reach the left wall at the joiner"
}

# A host waiting and a joiner in a Duel, started by the host's player.
host_and_joiner() {
    start host
    host=$started
    host_game "$host" 1
    start joiner
    joiner=$started
    join_and_name "$joiner"
    start_duel
}
# Whether both fields of the host's window are empty (as after Stop, or
# once the curtain has run).
fields_empty() {
    shoot
    local y
    for y in 0 9 17; do
        [ "$(cell "${main_window[$host]}" 363 510 510 5 "$y")" = 000000 ] || return 1
        [ "$(cell "${main_window[$host]}" 363 6060 510 5 "$y")" = 000000 ] || return 1
    done
}
# Moves window $1 to ($2, $3) and waits until it stands there.
place() {
    xdotool windowmove "$1" "$2" "$3"
    at() { eval "$(xdotool getwindowgeometry --shell "$1")" && [ "$X" = "$2" ] && [ "$Y" = "$3" ]; }
    xvfb_until 5 at "$1" "$2" "$3" || fail "window $1 did not move to $2,$3"
}

# Ends process $1 as its player would (Ctrl+X in its main window) and
# checks that it exits with status 0.
exit_program() {
    local pid=$1 status=0
    focus "${main_window[$pid]}"
    key ctrl+x
    ended() { ! xvfb_running "$pid"; }
    xvfb_until 10 ended || fail "Exit did not end ${name_of[$pid]}"
    wait "$pid" || status=$?
    [ "$status" = 0 ] || fail "${name_of[$pid]} exited with status $status"
}
# The sanitizer's reports in the output of the case's programs, their first
# lines (for fail()).
show_reports() {
    grep -h -A 12 'ERROR: AddressSanitizer\|runtime error:' "$work/${case_name:-}"*.log >&2 || true
}
# No crash or sanitizer report in the output of the case's programs.
logs_clean() {
    if grep -lE 'Segmentation|AddressSanitizer|LeakSanitizer|runtime error:|Aborted' \
        "$work/${case_name:-}"*.log; then
        fail "a program reported a fault (above)"
    fi
}
# Joiner $1 closes its window (as with a window manager's close button): the
# host's player is told, the joiner is not (it left).
joiner_closes() {
    local w
    w=$(window_of "$1" "$joined_title")
    [ -n "$w" ] && "$x_close" "$w" || fail "could not close the joiner's window"
    w=$(wait_message "$host" 15) || fail "the host did not tell its player that the joiner left"
    answer "$host" "$w"
    xvfb_until 5 no_window "$1" "$joined_title" || fail "the joiner's window stayed"
    no_message "$1" || fail "the joiner who left was shown a message"
    alive "$1" || fail "the joiner ended when it left"
}
# The end of a case: joiner $1 leaves, then both programs exit with status 0
# and their output names no fault.
finish() {
    joiner_closes "$1"
    exit_program "$1"
    exit_program "$host"
    logs_clean
}

# ---- Cases: each in a subshell of its own with programs of its own, so
# that one that fails (a program that crashed) leaves the next to run.

case_pids=()
passed=0
failed=()
# Ends the programs the case started that still run (children of its shell).
_case_cleanup() {
    local pid _p _n _s parent
    for pid in "${case_pids[@]}"; do
        read -r _p _n _s parent _ 2>/dev/null <"/proc/$pid/stat" && [ "$parent" = "$BASHPID" ] &&
            kill -9 "$pid" 2>/dev/null
    done
    return 0
}
# Runs case function $1 (its title $2) on port $port + the case's number;
# only those named in $NETWORK_CASES when set (to look into one).
case_number=0
run_case() {
    local number=$((case_number += 1))
    [[ -z ${NETWORK_CASES:-} || " $NETWORK_CASES " == *" $1 "* ]] || return 0
    echo "-- $2"
    if (
        trap _case_cleanup EXIT
        case_name=$1
        port=$((port + number))
        "$1"
    ); then
        passed=$((passed + 1))
    else
        failed+=("$2")
    fi
}
# The summary line; the status: whether every case passed.
summary() {
    local f
    for f in "${failed[@]}"; do echo "FAILED: $f"; done
    echo "$1: $passed passed, ${#failed[@]} failed"
    [ ${#failed[@]} = 0 ]
}

# The joiner joins the host that now waits, the duel starts, the joiner's
# move shows in both windows, and both programs end well.
join_play_and_finish() {
    join_and_name "$joiner"
    start_duel
    joiner_moves_left "$joiner"
    finish "$joiner"
}

#!/usr/bin/env bash
# A network Duel between two real programs on one machine, over the
# loopback, on Xvfb: the time from the joiner's key to its move in both
# windows (the joiner's and the host's) as the players see it
# (the X server included) and what the Duel costs the host's CPU, against
# the same host playing a local Duel with no joiner.
#
#   bench/net_program.sh [options] GAME
#
#   --runs N       runs (default 3); medians are reported
#   --keys N       keys timed per measurement (default 500, at least 200)
#   --every MS     one timed key, and one of the other player's, every MS
#                  milliseconds (default 80: 25 keys a second in all, a few
#                  times what a quick player presses)
#   --tool PATH    the measuring tool (default build/bench/bench/latency/x_latency,
#                  built by bench/run.sh or: cmake --build build/bench --target x_latency)
#   --quick        one run of 200 keys: a quick look that the measurements
#                  work, not figures to quote
#   -h, --help     this text
#
# Each run measures, one after the other on one display:
#
# 1. Local Duel (the baseline): one program, Ctrl+D chooses Duel, Enter
#    confirms the two names, Alt+S S 9 picks Speed 9 through the menu's
#    access keys, F2 starts. x_latency then plays both players from the
#    keyboard: player 2's Left and Right (keypad 1 and 3) in turn, each
#    timed to the changed pixels of player 2's field in the same window, and
#    before each of them one of player 1's keys (A, D or W, at random; no
#    drop, so that a duel lasts).
# 2. Network Duel: a host (Game > Two Players > Host a Network Game, a port
#    of its own, Start) and a joiner (Join a Network Game with 127.0.0.1,
#    the port and the join code from the host's log), each started in its
#    own empty folder; the host names player 1, picks Speed 9 as above and
#    starts with F2. x_latency plays the joiner's player 1 Left and Right (A
#    and D, which play player 2 at the host) in turn, each timed to the
#    changed pixels of player 2's field in the joiner's window, and before
#    each of them one of the host's player 1 keys (A, D or W) to the host's
#    window. Then, in the same game, as many keys of the joiner's again,
#    each timed to player 2's field in the host's window: how soon the
#    host's player sees the joiner's move.
#
# The timed keys are XTest keys, to the window that has the input focus
# (x_latency gives it back should a message have taken it); player 1's keys
# are sent to the host's window (XSendEvent), so that the focus moves
# between the windows only for the Return and F2 once a second (no other
# program presses keys while it measures); the windows stand side by side (the joiner's at the left edge, the host's
# at x = 640) so that neither covers the other. One timed key every 80 ms;
# every second x_latency presses Return on any other window of the host
# (a duel's message) and F2 at the host, so that the next duel starts once
# one has ended. The host's CPU (utime + stime from /proc/PID/stat) is read
# just before and after x_latency, as is the joiner's.
#
# Prints a Markdown table with the medians of the runs and the network/local
# ratios of the times and of the host's CPU. The reading tool, the X server
# and the programs share the machine's cores: on a machine with two cores
# the tool's back-to-back reads of the screen (and the X server answering
# them) take a good part of them while a key is waited for.
set -euo pipefail

top=$(cd "$(dirname "$0")/.." && pwd)
runs=3 keys=500 every=80 tool=$top/build/bench/bench/latency/x_latency
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --keys) keys=$2; shift 2 ;;
    --every) every=$2; shift 2 ;;
    --tool) tool=$2; shift 2 ;;
    --quick) runs=1 keys=200; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
[ $# -eq 1 ] || { echo "usage: bench/net_program.sh [options] GAME (--help lists the options)" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]?$ ]] || { echo "--runs wants 1 to 99" >&2; exit 2; }
[[ $every =~ ^[1-9][0-9]{1,3}$ ]] || { echo "--every wants 10 to 9999" >&2; exit 2; }
if ! [[ $keys =~ ^[1-9][0-9]{0,5}$ ]] || [ "$keys" -lt 200 ]; then
    echo "--keys wants 200 to 999999" >&2
    exit 2
fi
game=$(realpath "$1")
[ -x "$game" ] || { echo "not a program: $1" >&2; exit 2; }
[ -x "$tool" ] || { echo "no $tool: build it with cmake --build build/bench --target x_latency" >&2; exit 2; }
for t in Xvfb xwininfo xdotool; do
    command -v $t >/dev/null || { echo "$t is needed (xvfb, x11-utils, xdotool)" >&2; exit 1; }
done

# shellcheck source-path=SCRIPTDIR source=../scripts/xvfb.sh
source "$top/scripts/xvfb.sh"
work=$(mktemp -d)
# shellcheck disable=SC2016 # expanded at exit
xvfb_at_exit 'rm -rf "$work"'
# The players' data folder (the host's key) is the run's own.
export XDG_DATA_HOME=$work/data

start_display() {
    xvfb_start 1280x1024x24 || exit 1
}
start_display

now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
percent() { awk -v t="$1" -v hz="$hz" -v ms="$2" 'BEGIN { printf "%.2f", 100 * t / hz / (ms / 1000) }'; }

fail() {
    echo "net_program: $*" >&2
    xvfb_alive || echo "net_program: the X display has gone" >&2
    tail -n 5 "$work"/*.log >&2 2>/dev/null || true
    exit 1
}
# xdotool, a few times if need be: this X server now and then closes a new
# connection at once while another client connects.
xdo() {
    local _
    for _ in 1 2 3 4 5; do
        xdotool "$@" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}
# Starts the game in an empty folder of its own and waits for its window;
# sets pid and win. Tried again when the program could not reach the display.
launch() { # folder, title pattern, what
    local _
    for _ in 1 2 3; do
        rm -rf "${work:?}/$1"
        mkdir -p "$work/$1"
        (cd "$work/$1" && exec "$game" >"$work/$1.log" 2>&1) &
        pid=$!
        xvfb_track "$pid"
        win=$(xvfb_wait_window "$2" 20 "$pid") && return 0
        stop "$pid"
        grep -q "could not connect to display" "$work/$1.log" || break
    done
    fail "$3 did not appear"
}
stop() { # pid
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
wait_window() { # pid, title pattern, what: prints the id
    xvfb_wait_window "$2" 20 "$1" || fail "$3 did not appear"
}
# Keys to a window, one at a time, as a person at the menus would press them.
keys_to() { # window, keys...
    local w=$1 k
    shift
    for k in "$@"; do
        xdo windowfocus --sync "$w" key --clearmodifiers "$k" || fail "no key $k to window $w"
        sleep 0.3
    done
}
type_to() { # window, text
    xdo windowfocus --sync "$1" type --delay 20 "$2" || fail "could not type into window $1"
}
# Moves a window and waits until it stands there.
at() { eval "$(xdotool getwindowgeometry --shell "$1" 2>/dev/null)" && [ "$X" = "$2" ] && [ "$Y" = "$3" ]; }
place() { # window, x, y
    xdo windowmove "$1" "$2" "$3" || fail "could not move window $1"
    xvfb_until 5 at "$1" "$2" "$3" || fail "window $1 did not move to $2,$3"
}
# Player 2's field (its surface at 6060, 510 twips, cells inside a border of
# 2 px, 11 x 18 cells of 16 px) in a window whose client area, below any
# menu bar, is 363 px high: "X Y WIDTH HEIGHT".
field() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo $(((6060 * 2 + 15) / 30 + 2)) $((HEIGHT - 363 + (510 * 2 + 15) / 30 + 2)) $((11 * 16)) $((18 * 16))
}

# Runs x_latency over the game already running; prints its row, then the
# CPU % of each pid given over the time it ran, then that time in ms.
measure() { # tool arguments..., --, pids...
    local args=() pids=() c0=() c1=() t0 i
    while [ "$1" != -- ]; do
        args+=("$1")
        shift
    done
    shift
    pids=("$@")
    for i in "${!pids[@]}"; do c0[i]=$(cpu_ticks "${pids[i]}"); done
    t0=$(now_ms)
    "$tool" --row --keys "$keys" --every "$every" "${args[@]}" >"$work/row" 2>"$work/tool.err" ||
        fail "x_latency failed: $(cat "$work/tool.err")"
    local ms=$(($(now_ms) - t0))
    for i in "${!pids[@]}"; do c1[i]=$(cpu_ticks "${pids[i]}"); done
    local out
    out=$(cat "$work/row")
    for i in "${!pids[@]}"; do out+=" $(percent $((c1[i] - c0[i])) "$ms")"; done
    echo "$out $ms"
}

# A local Duel at speed 9, both players at the keyboard; prints x_latency's
# row, the program's CPU % and the ms measured.
local_duel() {
    local game_pid w player
    launch local '^Tessarin$' "the game's window"
    game_pid=$pid
    keys_to "$win" ctrl+d
    for player in 1 2; do
        w=$(wait_window "$game_pid" "^Input Name--Player$player\$" "the name window of player $player")
        keys_to "$w" Return
    done
    w=$(wait_window "$game_pid" '^Tessarin \(Duel\)$' "the Duel's window")
    place "$w" 640 0
    keys_to "$w" alt+s s 9 F2
    # shellcheck disable=SC2046 # the rectangle's four numbers
    measure --left KP_1 --right KP_3 --host "$w" --host-keys a,d,w \
        "$w" $(field "$w") -- "$game_pid"
    stop "$game_pid"
}

# A network Duel at speed 9; adds to network.runs x_latency's row for the
# joiner's window, the host's and the joiner's CPU % and the ms measured,
# and to host.runs the same for the host's window.
network_duel() {
    local port=$1 host joiner w code hw jw
    launch host '^Tessarin$' "the host's window"
    host=$pid
    keys_to "$win" alt+g t o
    w=$(wait_window "$host" '^Host a Network Game$' "the host's window for hosting")
    keys_to "$w" ctrl+a
    type_to "$w" "$port"
    keys_to "$w" Return
    xvfb_until 10 grep -q "hosting on port $port" "$work/host.log" || fail "the host did not listen on port $port"
    code=$(sed -n 's/.*join code \([A-Z0-9-]*\).*/\1/p' "$work/host.log" | tail -1)
    [ -n "$code" ] || fail "no join code in the host's log"

    launch joiner '^Tessarin$' "the joiner's window"
    joiner=$pid
    keys_to "$win" alt+g t j
    w=$(wait_window "$joiner" '^Join a Network Game$' "the joiner's window for joining")
    keys_to "$w" Tab # past the Link field
    type_to "$w" 127.0.0.1
    keys_to "$w" Tab ctrl+a
    type_to "$w" "$port"
    keys_to "$w" Tab
    type_to "$w" "$code"
    keys_to "$w" Return
    # A joiner who typed the address is asked whether the host's key is the
    # one the host's window shows (a program of before encryption is not).
    asked() { xdotool search --all --pid "$joiner" --onlyvisible --name '^Tessarin$' 2>/dev/null | grep -vx "$win"; }
    named() { xdotool search --all --pid "$host" --onlyvisible --name '^Input Name--Player1$' >/dev/null 2>&1; }
    question() { asked >/dev/null || named; }
    xvfb_until 20 question || fail "the joiner was neither asked about the key nor let in"
    w=$(asked | head -1 || true)
    [ -z "$w" ] || keys_to "$w" y
    w=$(wait_window "$host" '^Input Name--Player1$' "the host's name window")
    keys_to "$w" Return
    hw=$(wait_window "$host" '^Tessarin \(Duel\)$' "the host's Duel")
    # The joiner's title may name the host.
    jw=$(wait_window "$joiner" '^Tessarin \(Duel\)( - with .*)?$' "the joiner's Duel")
    place "$jw" 0 0
    place "$hw" 640 0
    keys_to "$hw" alt+s s 9 F2
    # shellcheck disable=SC2046 # the rectangle's four numbers
    measure --left a --right d --host "$hw" --host-keys a,d,w \
        "$jw" $(field "$jw") -- "$host" "$joiner" >>"$work/network.runs"
    # shellcheck disable=SC2046
    measure --left a --right d --keys-to "$jw" --host "$hw" --host-keys a,d,w \
        "$hw" $(field "$hw") -- "$host" "$joiner" >>"$work/host.runs"
    stop "$joiner"
    stop "$host"
}

: >"$work/local.runs"
: >"$work/network.runs"
: >"$work/host.runs"
for run in $(seq "$runs"); do
    xvfb_alive || start_display
    local_duel >>"$work/local.runs"
    echo "  run $run, local Duel:   $(tail -1 "$work/local.runs")" >&2
    network_duel $((47300 + ($$ + run) % 600))
    echo "  run $run, network Duel, joiner's window: $(tail -1 "$work/network.runs")" >&2
    echo "  run $run, network Duel, host's window:   $(tail -1 "$work/host.runs")" >&2
done

# ---- the table: medians of the runs, column by column
median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
medians() { # file: the median of each column
    local col n out=""
    n=$(awk '{ print NF; exit }' "$1")
    for col in $(seq "$n"); do
        out+="$(awk -v c="$col" '{ print $c }' "$1" | median) "
    done
    echo "$out"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b == 0) print "-"; else printf "%.2f", a / b }'; }
# keys answered median p99 slowest never other still covered read cpu... ms
read -r l_keys l_answered l_median l_p99 l_slowest l_never l_other l_still _ l_read l_cpu _ < <(medians "$work/local.runs")
read -r n_keys n_answered n_median n_p99 n_slowest n_never n_other n_still _ n_read n_cpu n_joiner _ < <(medians "$work/network.runs")
read -r h_keys h_answered h_median h_p99 h_slowest h_never h_other h_still _ h_read h_cpu h_joiner _ < <(medians "$work/host.runs")

echo "| Duel at speed 9 | keys answered | median | 99th percentile | slowest | never answered | left out | no game running | host's CPU (%) | joiner's CPU (%) |"
echo "|---|---|---|---|---|---|---|---|---|---|"
echo "| local: one program, player 2's key to its own field | $l_answered of $l_keys | $l_median ms | $l_p99 ms | $l_slowest ms | $l_never | $l_other | $l_still | $l_cpu | - |"
echo "| network: the joiner's key to player 2's field in the joiner's window | $n_answered of $n_keys | $n_median ms | $n_p99 ms | $n_slowest ms | $n_never | $n_other | $n_still | $n_cpu | $n_joiner |"
echo "| network: the joiner's key to player 2's field in the host's window | $h_answered of $h_keys | $h_median ms | $h_p99 ms | $h_slowest ms | $h_never | $h_other | $h_still | $h_cpu | $h_joiner |"
echo "| network / local, the joiner's window | - | $(ratio "$n_median" "$l_median") | $(ratio "$n_p99" "$l_p99") | - | - | - | - | $(ratio "$n_cpu" "$l_cpu") | - |"
echo "| network / local, the host's window | - | $(ratio "$h_median" "$l_median") | $(ratio "$h_p99" "$l_p99") | - | - | - | - | $(ratio "$h_cpu" "$l_cpu") | - |"
echo
if [ "$runs" = 1 ]; then what="One run"; else what="Medians of $runs runs"; fi
read_ms=$(awk -v a="$l_read" -v b="$n_read" -v c="$h_read" 'BEGIN { printf "%.2f", (a + b + c) / 3 }')
echo "$what under Xvfb (1280 x 1024 x 24, no window manager), $keys keys timed in each"
echo "Duel, one every $every ms or so, each after one of player 1's keys; one read of the field took $read_ms ms, the times' resolution."
echo "\"Left out\": keys answered together with a new piece, a cleared row or the curtain;"
echo "\"no game running\": keys between two duels (see bench/latency/x_latency.cpp)."

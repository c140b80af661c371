#!/usr/bin/env bash
# What gamepads cost the program, under Xvfb:
#
#   bench/pads.sh [--runs N] [--idle S] [--keys N] [--tool X_LATENCY] FLOOR BASE GAME
#
# FLOOR is the empty Qt window (bench/floor), BASE the game built without
# gamepads, GAME the game with them. Per run, in this order:
#   1. wake-ups while idle: each program started, left 2 s to settle (the
#      game starts SDL once its window shows), then its context switches
#      (voluntary and not, all threads, /proc/PID/task/*/status) counted over
#      S seconds (default 10), and its threads; no pad connected;
#   2. CPU with a pad connected and no game: GAME with a virtual pad plugged
#      in through its pad script (TESSARIN_PAD_SCRIPT), utime + stime over S
#      seconds, against the same program over S seconds before the pad came;
#   3. latency: in that program a Duel at speed 9; x_latency times N (default
#      200) presses of player 1's keys A and D, then N presses of pad 1's
#      D-pad left and right (--pad), each to the changed pixels of player 1's
#      field.
# Prints Markdown tables of the medians.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
runs=5 idle=10 keys=200 tool=$top/build/bench/bench/latency/x_latency
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --keys) keys=$2; shift 2 ;;
    --tool) tool=$(realpath "$2"); shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
[ $# -eq 3 ] || { echo "usage: bench/pads.sh [options] FLOOR BASE GAME" >&2; exit 2; }
floor=$(realpath "$1") base=$(realpath "$2") game=$(realpath "$3")

# shellcheck source=../scripts/xvfb.sh
source "$top/scripts/xvfb.sh"
work=$(mktemp -d)
xvfb_at_exit 'rm -rf "$work"'
fail() { echo "FAIL: $*" >&2; exit 1; }
xvfb_start || fail "Xvfb did not start"
cd "$work"

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() {
    cat /proc/"$1"/task/*/status | awk '/ctxt_switches/ {n += $2} END {print n}'
}
threads() { ls /proc/"$1"/task | wc -l; }
median() { sort -g | awk '{a[NR] = $1} END {m = (NR + 1) / 2; print (NR % 2) ? a[m] : (a[m - 0.5] + a[m + 0.5]) / 2}'; }
launch() { # program, window pattern; three tries (on this shared machine a
    # program now and then finds no display, and the display is started again)
    local try
    for try in 1 2 3; do
        xvfb_alive || xvfb_start || fail "Xvfb did not start again"
        "$1" >"$work/log" 2>&1 &
        pid=$!
        xvfb_track "$pid"
        win=$(xvfb_wait_window "$2" 20 "$pid") && return 0
        echo "$1 showed no window (try $try): $(tail -1 "$work/log")" >&2
        stop "$pid"
    done
    fail "$1 showed no window"
}
stop() { kill "$1" 2>/dev/null || true; wait "$1" 2>/dev/null || true; }

for run in $(seq "$runs"); do
    echo "run $run" >&2
    # 1. Idle wake-ups, no pad.
    for name in floor base game; do
        program=${!name}
        pattern='^Tessarin$'
        [ $name = floor ] && pattern='^Floor$'
        launch "$program" "$pattern"
        sleep 2
        s0=$(switches "$pid")
        sleep "$idle"
        s1=$(switches "$pid")
        echo "$(((s1 - s0)))" >>"$work/wake.$name"
        threads "$pid" >>"$work/threads.$name"
        stop "$pid"
    done

    # 2. CPU without, then with, a pad; no game.
    rm -f "$work/pads"
    mkfifo "$work/pads"
    TESSARIN_PAD_SCRIPT="$work/pads" launch "$game" '^Tessarin$'
    exec 7<>"$work/pads"
    sleep 2
    c0=$(cpu_ticks "$pid")
    sleep "$idle"
    c1=$(cpu_ticks "$pid")
    echo "plug Bench Pad" >&7
    sleep 1
    c2=$(cpu_ticks "$pid")
    sleep "$idle"
    c3=$(cpu_ticks "$pid")
    awk -v t="$((c1 - c0))" -v hz="$ticks" -v s="$idle" 'BEGIN {print 100 * t / hz / s}' >>"$work/cpu.nopad"
    awk -v t="$((c3 - c2))" -v hz="$ticks" -v s="$idle" 'BEGIN {print 100 * t / hz / s}' >>"$work/cpu.pad"

    # 3. Latency: a Duel at speed 9, keys then the pad.
    xdotool windowfocus --sync "$win" key --clearmodifiers ctrl+d
    for p in 1 2; do
        w=$(xvfb_wait_window "^Input Name--Player$p\$" 10 "$pid") || fail "no name window"
        xdotool windowfocus --sync "$w" key Return
    done
    win=$(xvfb_wait_window '^Tessarin \(Duel\)$' 10 "$pid") || fail "no Duel"
    xdotool windowmove --sync "$win" 0 0 || true
    xdotool windowfocus --sync "$win" key --clearmodifiers alt+s s 9 F2
    eval "$(xdotool getwindowgeometry --shell "$win")"
    rect="$(((510 * 2 + 15) / 30 + 2)) $((HEIGHT - 363 + (510 * 2 + 15) / 30 + 2)) 176 288"
    # shellcheck disable=SC2086 # the rectangle's four numbers
    "$tool" --row --keys "$keys" --every 80 --left a --right d --host "$win" "$win" $rect \
        >>"$work/lat.keys" || fail "x_latency (keys) failed"
    # shellcheck disable=SC2086
    "$tool" --row --keys "$keys" --every 80 --pad "$work/pads" --host "$win" "$win" $rect \
        >>"$work/lat.pad" || fail "x_latency (pad) failed"
    exec 7>&-
    stop "$pid"
done

col() { awk -v c="$2" '{print $c}' "$1" | median; }
echo
echo "Idle, no pad: context switches over $idle s (all threads) and threads, medians of $runs runs"
echo
echo "| program | wake-ups / s | threads | wake-ups vs floor |"
echo "|---|---|---|---|"
fw=$(median <"$work/wake.floor")
for name in floor base game; do
    w=$(median <"$work/wake.$name")
    printf '| %s | %.1f | %s | %.2f x |\n' "$name" "$(echo "$w / $idle" | bc -l)" \
        "$(median <"$work/threads.$name")" "$(echo "$w / ($fw + 0.0001)" | bc -l)"
done
echo
echo "CPU of one core, no game, medians of $runs runs of $idle s"
echo
echo "| game | CPU (%) |"
echo "|---|---|"
echo "| no pad | $(median <"$work/cpu.nopad") |"
echo "| one pad connected | $(median <"$work/cpu.pad") |"
echo
echo "Press to changed pixels of player 1's field, Duel at speed 9, $keys presses a run;"
echo "medians over runs of each run's median, 99th percentile and slowest (ms)"
echo
echo "| input | answered | median | p99 | slowest | p99 vs keys |"
echo "|---|---|---|---|---|---|"
kp=$(col "$work/lat.keys" 4)
for src in keys pad; do
    f=$work/lat.$src
    printf '| %s | %s | %s | %s | %s | %.2f x |\n' "$src" "$(col "$f" 2)" "$(col "$f" 3)" \
        "$(col "$f" 4)" "$(col "$f" 5)" "$(echo "$(col "$f" 4) / $kp" | bc -l)"
done

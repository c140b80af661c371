#!/usr/bin/env bash
# Start-up time, memory and CPU of Qt programs under Xvfb, the game against
# the floor (an empty Qt main window with a menu bar, bench/floor).
#
#   bench/program.sh [options] FLOOR [GAME]
#
#   --runs N          runs of each program (default 5); medians are reported
#   --idle S          seconds of idle CPU measured per run (default 10)
#   --duel S          seconds of Duel CPU measured per run of the game
#                     (default 30; 0 skips it)
#   --computer S      seconds of CPU measured per run of the game over a Duel
#                     against the computer, Hard (default 30; 0 skips it)
#   --floor-name T    title of the floor's main window (default "Floor")
#   --game-name T     title of the game's main window (default "Tessarin")
#   --run-dir DIR     folder the programs start in, e.g. run/ with the game's
#                     sounds, where the game may also save records (default:
#                     an empty temporary folder)
#   --quick           one run, 2 s idle, 5 s of each Duel: a quick look that the
#                     measurements work, not figures to quote
#   -h, --help        this text
#
# Per run: the time from launch until the main window is mapped (the windows
# polled back to back, a few ms apart, at most 20 s), VmRSS once it shows,
# the CPU time (utime + stime from /proc/PID/stat) over the idle seconds,
# and for the game the CPU time over a Duel at speed 9 played by keys: Ctrl+D chooses
# Duel, Enter confirms the two names, Alt+S S 9 picks Speed 9 through the
# menu's access keys, F2 starts a game; then game keys every 50 ms, and
# every second Enter on any dialog (a duel's message) and F2 (the next
# duel). Then, in the same run, the Duel against the computer: Ctrl+Q stops
# the duel, Alt+G T H chooses Game > Two Players > Computer, Hard, F2 starts
# a game, and only player 1's keys are pressed, every 50 ms, with Enter and
# F2 every second as before. Prints a Markdown table with the medians and the
# game/floor ratios.
set -euo pipefail

runs=5 idle=10 duel=30 computer=30 floor_name=Floor game_name=Tessarin run_dir=""
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift 2 ;;
    --idle) idle=$2; shift 2 ;;
    --duel) duel=$2; shift 2 ;;
    --computer) computer=$2; shift 2 ;;
    --floor-name) floor_name=$2; shift 2 ;;
    --game-name) game_name=$2; shift 2 ;;
    --run-dir) run_dir=$(realpath "$2"); shift 2 ;;
    --quick) runs=1 idle=2 duel=5 computer=5; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "unknown option $1" >&2; exit 2 ;;
    *) break ;;
    esac
done
[ $# -ge 1 ] || { echo "usage: bench/program.sh [options] FLOOR [GAME] (--help lists the options)" >&2; exit 2; }
floor=$(realpath "$1")
game=${2:+$(realpath "$2")}
for tool in Xvfb xwininfo xdotool; do
    command -v $tool >/dev/null || { echo "$tool is needed (xvfb, x11-utils, xdotool)" >&2; exit 1; }
done

# shellcheck source=../scripts/xvfb.sh
source "$(dirname "$0")/../scripts/xvfb.sh"
work=$(mktemp -d)
app_pid=""
xvfb_at_exit 'rm -rf "$work"'

# A display of our own, started again before a run should it have gone
# (another program on the machine may end it).
start_display() {
    xvfb_start 1280x1024x24 || exit 1
    export XDG_RUNTIME_DIR="$work/runtime"
    mkdir -m 700 -p "$XDG_RUNTIME_DIR"
}
start_display

now_ms() { local t=${EPOCHREALTIME/[.,]/}; echo $((t / 1000)); }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)

# Waits until a window of that title is mapped, polling back to back; prints
# its id. Gives up after 20 s, or as soon as the program has ended.
wait_window() {
    local id
    id=$(XVFB_POLL=0 xvfb_wait_window "^$1\$" 20 "$app_pid") || return 1
    printf '0x%x\n' "$id"
}

# Presses keys in a window.
keys() {
    local id=$1; shift
    xdotool windowfocus --sync "$id" key --clearmodifiers "$@" 2>/dev/null || true
}

# Enter on every visible window but the main one (messages and name dialogs).
dismiss_dialogs() {
    local main=$1 w
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(printf '0x%x' "$w")" = "$main" ] && continue
        keys "$w" Return
    done
}

# Plays the game in window id for the seconds given with random keys among
# those after them, every 50 ms, and every second Enter on any dialog and F2;
# prints the CPU ticks used and the ms it took.
play_keys() {
    local id=$1 seconds=$2 game_keys=("${@:3}") t0 c0 end
    c0=$(cpu_ticks "$app_pid")
    t0=$(now_ms)
    end=$((t0 + seconds * 1000))
    local next_round=$((t0 + 1000))
    while [ "$(now_ms)" -lt "$end" ]; do
        keys "$id" "${game_keys[RANDOM % ${#game_keys[@]}]}"
        if [ "$(now_ms)" -ge "$next_round" ]; then
            dismiss_dialogs "$id"
            keys "$id" F2
            next_round=$((next_round + 1000))
        fi
        sleep 0.05
    done
    echo "$(($(cpu_ticks "$app_pid") - c0)) $(($(now_ms) - t0))"
}

duel() {
    local id=$1 seconds=$2
    keys "$id" ctrl+d
    for player in 1 2; do
        local dialog
        dialog=$(wait_window "Input Name--Player$player") && keys "$dialog" Return
    done
    keys "$id" alt+s s 9
    keys "$id" F2
    play_keys "$id" "$seconds" a d w s a d KP_1 KP_3 KP_5 KP_2 KP_1 KP_3
}

# The Duel against the computer, after the Duel of two (whose game is
# stopped first; its curtain runs out).
computer_duel() {
    local id=$1 seconds=$2
    dismiss_dialogs "$id"
    keys "$id" ctrl+q
    sleep 2
    dismiss_dialogs "$id"
    sleep 2
    local k
    for k in alt+g t h; do
        keys "$id" "$k"
        sleep 0.3
    done
    keys "$id" F2
    play_keys "$id" "$seconds" a d w s
}

# One run: prints "start_ms rss_kb idle_cpu_percent [duel_cpu_percent
# [computer_cpu_percent]]".
measure() {
    local binary=$1 title=$2 with_duel=$3 t0 id rss c0 c1 d
    xvfb_alive || start_display
    if [ -n "$run_dir" ]; then cd "$run_dir"; else mkdir -p "$work/run" && cd "$work/run"; fi
    local attempt
    for attempt in 1 2; do
        t0=$(now_ms)
        "$binary" >"$work/app.log" 2>&1 &
        app_pid=$!
        xvfb_track "$app_pid"
        id=$(wait_window "$title") && break
        kill "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
        app_pid=""
        # Once more on a new display if the one we had has gone.
        if [ "$attempt" = 1 ] && ! xvfb_alive; then
            start_display
            continue
        fi
        echo "no window \"$title\" from $binary:" >&2
        cat "$work/app.log" >&2
        exit 1
    done
    local started=$(($(now_ms) - t0))
    rss=$(awk '/VmRSS/ { print $2 }' "/proc/$app_pid/status")
    c0=$(cpu_ticks "$app_pid")
    sleep "$idle"
    c1=$(cpu_ticks "$app_pid")
    local idle_cpu
    idle_cpu=$(awk -v t=$((c1 - c0)) -v hz="$hz" -v s="$idle" 'BEGIN { printf "%.2f", 100 * t / hz / s }')
    local duel_cpu=""
    if [ "$with_duel" = 1 ] && [ "$duel" -gt 0 ]; then
        duel "$id" "$duel" >"$work/duel"
        read -r ticks ms <"$work/duel"
        duel_cpu=$(awk -v t="$ticks" -v hz="$hz" -v ms="$ms" 'BEGIN { printf "%.2f", 100 * t / hz / (ms / 1000) }')
    fi
    local computer_cpu=""
    if [ "$with_duel" = 1 ] && [ "$duel" -gt 0 ] && [ "$computer" -gt 0 ]; then
        computer_duel "$id" "$computer" >"$work/computer"
        read -r ticks ms <"$work/computer"
        computer_cpu=$(awk -v t="$ticks" -v hz="$hz" -v ms="$ms" 'BEGIN { printf "%.2f", 100 * t / hz / (ms / 1000) }')
    fi
    kill "$app_pid" 2>/dev/null || true
    wait "$app_pid" 2>/dev/null || true
    app_pid=""
    cd "$work"
    echo "$started $rss $idle_cpu $duel_cpu $computer_cpu"
}

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Medians of the runs of one program: "start rss idle duel computer".
program() {
    local binary=$1 title=$2 with_duel=$3 i
    : >"$work/runs"
    for i in $(seq "$runs"); do
        measure "$binary" "$title" "$with_duel" >>"$work/runs"
        echo "  $(basename "$binary") run $i: $(tail -1 "$work/runs")" >&2
    done
    local col out=""
    for col in 1 2 3 4 5; do
        out+="$(awk -v c=$col 'NF >= c { print $c }' "$work/runs" | median) "
    done
    echo "$out"
}

program "$floor" "$floor_name" 0 >"$work/floor.medians"
read -r f_start f_rss f_idle _ <"$work/floor.medians"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2f", a / b }'; }

echo "| program | start-up to mapped window (ms) | resident memory (MiB) | idle CPU (%) | Duel CPU at speed 9 (%) | Duel against the computer, Hard, CPU at speed 9 (%) |"
echo "|---|---|---|---|---|---|"
printf '| floor (empty main window with menu bar) | %s | %.1f | %s | - | - |\n' "$f_start" "$(awk -v k="$f_rss" 'BEGIN { print k / 1024 }')" "$f_idle"
if [ -n "$game" ]; then
    program "$game" "$game_name" 1 >"$work/game.medians"
    read -r g_start g_rss g_idle g_duel g_computer <"$work/game.medians"
    printf '| game | %s | %.1f | %s | %s | %s |\n' "$g_start" "$(awk -v k="$g_rss" 'BEGIN { print k / 1024 }')" "$g_idle" "$g_duel" "$g_computer"
    printf '| game / floor | %s | %s | %s | - | - |\n' "$(ratio "$g_start" "$f_start")" "$(ratio "$g_rss" "$f_rss")" "$(ratio "$g_idle" "$f_idle")"
fi
echo
echo "Medians of $runs runs each under Xvfb (1280 x 1024 x 24, no window manager); idle CPU over $idle s; the Duel over ${duel} s; the Duel against the computer over ${computer} s."

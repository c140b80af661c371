#!/usr/bin/env bash
# Builds and runs the benchmarks and writes bench/RESULTS.md:
#
#   bash bench/run.sh [--game] [--fuzz-seconds S]
#
# - the engine benchmarks (Release build in build/bench), five repetitions,
#   medians reported;
# - the computer player's strengths against each other, against an idle player 1
#   and as a partner in Cooperation (bench/StrengthBench.cpp);
# - what a network Duel costs the host (bench/NetworkBench.cpp), and what
#   encryption costs each message (bench/link);
# - what asking the router costs the host's window (bench/router.sh);
# - the score-file fuzzer (clang build in build/fuzz) for S seconds
#   (default 60) from the seed corpus bench/fuzz/corpus, and the network
#   protocol's fuzzer as long from the captured streams in bench/fuzz/protocol,
#   the join link's as long from the links in bench/fuzz/link, and the
#   router answers' fuzzer from bench/fuzz/router;
# - the program measurements under Xvfb (bench/program.sh): the floor (an
#   empty Qt main window with a menu bar) and, with --game, the game itself
#   against it;
# - with --game, a network Duel between two programs on Xvfb
#   (bench/net_program.sh): the joiner's key to its window's pixels and the
#   host's CPU, against a local Duel.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

with_game=0 fuzz_seconds=60
while [ $# -gt 0 ]; do
    case $1 in
    --game) with_game=1; shift ;;
    --fuzz-seconds) fuzz_seconds=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
    esac
done

TESSARIN_DEPS_EXTRA="libbenchmark-dev clang libxtst-dev" bash scripts/deps.sh
jobs=$(nproc)
results=bench/RESULTS.md
out=build/bench/out
mkdir -p "$out"

echo "== engine benchmarks"
load=$(cut -d' ' -f1-3 /proc/loadavg)
cmake -S . -B build/bench -DCMAKE_BUILD_TYPE=Release -DTESSARIN_BENCH=ON -DTESSARIN_GUI=ON \
    -DTESSARIN_TESTS=OFF >/dev/null
targets=(engine_bench strength_bench network_bench net_latency link_bench bench_floor router_bench fake_router)
[ "$with_game" = 1 ] && targets+=(tessarin x_latency)
cmake --build build/bench -j "$jobs" --target "${targets[@]}"
build/bench/bench/engine_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=false | tee "$out/engine.txt"

echo "== computer player strengths"
strength_status=0
build/bench/bench/strength_bench | tee "$out/strength.txt" || strength_status=$?

echo "== network play"
build/bench/bench/network_bench | tee "$out/network.txt"
for run in 1 2 3; do
    QT_QPA_PLATFORM=offscreen build/bench/bench/latency/net_latency 300 2>/dev/null
done | tee "$out/latency.txt"
for run in 1 2 3; do
    build/bench/bench/link/link_bench 20000 5
done | tee "$out/link.txt"

echo "== the router step at hosting"
bash bench/router.sh build/bench 5 | tee "$out/router.txt"

echo "== fuzzing"
cmake -S . -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESSARIN_BENCH=ON -DTESSARIN_GUI=OFF -DTESSARIN_TESTS=OFF >/dev/null
cmake --build build/fuzz -j "$jobs" --target score_file_fuzz protocol_fuzz join_link_fuzz router_fuzz
# fuzz NAME PROGRAM SEEDS: libFuzzer's PROGRAM for the set time from the
# seeds in bench/fuzz/SEEDS, its output in $out/NAME.txt, its status in
# fuzz_status[NAME].
declare -A fuzz_status=()
fuzz() {
    echo "== $1 (${fuzz_seconds} s)"
    mkdir -p "build/fuzz/$1-corpus"
    fuzz_status[$1]=0
    (cd build/fuzz && "bench/$2" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
        "$1-corpus" "$top/bench/fuzz/$3") >"$out/$1.txt" 2>&1 || fuzz_status[$1]=$?
    tail -8 "$out/$1.txt"
}
fuzz fuzz score_file_fuzz corpus
fuzz protocol-fuzz protocol_fuzz protocol
fuzz link-fuzz join_link_fuzz link
fuzz router-fuzz router_fuzz router

echo "== program measurements"
game_args=()
[ "$with_game" = 1 ] && game_args=(build/bench/tessarin)
bash bench/program.sh build/bench/bench/floor/bench_floor "${game_args[@]}" | tee "$out/program.txt"
if [ "$with_game" = 1 ]; then
    echo "== network play between two programs"
    bash bench/net_program.sh --tool build/bench/bench/latency/x_latency build/bench/tessarin |
        tee "$out/net-program.txt"
fi

# ---- RESULTS.md
stat() { awk -v k="$1" '$1 == k":" { print $2 }' "${2:-$out/fuzz.txt}" | tail -1; }
# fuzz_report TITLE NAME FROM: a fuzzer's section of RESULTS.md.
fuzz_report() {
    local p=$out/$2.txt
    echo "## $1"
    echo
    if [ "${fuzz_status[$2]}" = 0 ]; then
        echo "libFuzzer (clang, AddressSanitizer and UndefinedBehaviorSanitizer) ran for" \
            "$fuzz_seconds s from $3: $(stat stat::number_of_executed_units "$p") inputs," \
            "$(stat stat::average_exec_per_sec "$p") per second, $(stat stat::new_units_added "$p")" \
            "new units found, no failure."
    else
        echo "**The fuzzer failed (status ${fuzz_status[$2]})**; see \`$p\`."
    fi
    echo
}
{
    echo "# Benchmark results"
    echo
    echo "Written by \`bash bench/run.sh$([ "$with_game" = 1 ] && echo " --game")\` on $(date -u '+%Y-%m-%d %H:%M UTC')."
    echo
    echo "Machine: $(nproc) CPUs, $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
        "$(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) memory;" \
        "$(. /etc/os-release && echo "$PRETTY_NAME"), $(g++ --version | head -1)," \
        "Google Benchmark $(dpkg-query -W -f='${Version}' libbenchmark-dev 2>/dev/null || echo '?')."
    echo "Load average when the benchmarks started: $load (other work on the machine slows every"
    echo "figure down)."
    echo
    echo "## Engine (Release build, medians of 5 repetitions)"
    echo
    echo "| benchmark | wall time | CPU time | repetitions | counters |"
    echo "|---|---|---|---|---|"
    awk '/_median/ {
        name = $1; sub(/_median$/, "", name)
        counters = ""
        for (i = 7; i <= NF; ++i) counters = counters " " $i
        printf "| %s | %s %s | %s %s | %s |%s |\n", name, $2, $3, $4, $5, $6, counters
    }' "$out/engine.txt"
    echo
    echo "Debian's Google Benchmark library warns that it was built as DEBUG; that"
    echo "concerns the library's own bookkeeping, not the code measured."
    echo
    echo "- BM_FallTick: one tick of the fall timer in Standard, the piece tested, moved a"
    echo "  row and drawn (the piece is lifted back to the top, untimed, before it lands)."
    echo "- BM_KeyMove: one key press that moves the piece a column."
    echo "- BM_RepaintCooperationField: every cell of the 15 x 18 field redrawn from the map."
    echo "- BM_FourRowClear: four full rows under four partly filled ones, from marking"
    echo "  through both blink steps to their removal, the rows above dropping."
    echo "- BM_GreedyGame10000Pieces: the greedy bot plays Standard, Game A, from speed 0"
    echo "  on virtual time until 10,000 pieces have fallen (counted across games, should"
    echo "  one end: \`games\` says how many were needed); timers, drawing, keys and row"
    echo "  clears all run. \`virtual_h\` is the game time played, \`pieces_per_s\` the"
    echo "  pieces per second of real time."
    echo "- BM_HardDecision: one decision of the computer player at Hard, from a new piece"
    echo "  to its first key: every placement the piece can reach, the best few rated"
    echo "  again with the next piece. The positions are those a Hard player met in a"
    echo "  Standard game, Game B (\`positions\` of them, taken in turn)."
    echo
    echo "## Computer player"
    echo
    cat "$out/strength.txt"
    [ "$strength_status" = 0 ] || echo "**A strength goal was missed.**"
    echo
    cat "$out/network.txt"
    echo
    echo "The joiner's key to its window's changed pixels over the loopback, one process"
    echo "(bench/latency: the host's game in real time behind a listening socket, the"
    echo "joiner's session and window on the offscreen platform); 300 keys a run, Left"
    echo "and Right in turn, one every 20 ms or so; three runs:"
    echo
    echo "| keys answered | median | 99th percentile | slowest | keys never answered |"
    echo "|---|---|---|---|---|"
    cat "$out/latency.txt"
    echo
    echo "What encryption costs each message, warm (bench/link, one process over the loopback:"
    echo "the game's TLS link against a plain socket pair, a view's 60 bytes one way and every"
    echo "fourth message a key's 12 bytes back, 20,000 messages, medians of 5 rounds; three runs):"
    echo
    sed 's/^/- /' "$out/link.txt"
    echo
    echo "### Between two programs on X"
    echo
    if [ "$with_game" = 1 ]; then
        echo "The same over the X server: a host and a joiner, two programs of the Release build on"
        echo "Xvfb, each in an empty folder of its own, a network Duel at speed 9 over the loopback"
        echo "(\`bash bench/net_program.sh --runs 3 build/bench/tessarin\`). bench/latency/x_latency"
        echo "presses the joiner's A and D in turn through XTest and reads player 2's field back to"
        echo "back until it has moved: in the joiner's window, then, in the same game, in the host's"
        echo "window (what the host's player sees of the joiner's move); before each of them one of"
        echo "the host's player 1 keys is sent to the host's window (XSendEvent, so that the input"
        echo "focus stays with the joiner). The local Duel, one program with player 2's keypad 1"
        echo "and 3 timed the same way in its own window and player 1's keys sent as above, is the"
        echo "baseline measured in the same run. The CPU is the host's (and the joiner's) over the"
        echo "keys timed; there is no window manager, so its share is still not included."
        echo
        cat "$out/net-program.txt"
    else
        echo "Two real programs on X, the X server included, are measured with"
        echo "\`bash bench/run.sh --game\` (bench/net_program.sh)."
    fi
    echo
    echo "## Router port at hosting"
    echo
    echo "\`bash bench/router.sh build/bench 5\` (bench/router/main.cpp, offscreen Qt): the host's"
    echo "start as the host window does it, \`NetworkPlay::startHosting\` and then"
    echo "\`RouterPorts::start\`, 20 starts a run, 5 runs, medians of the runs' medians, with the"
    echo "fake router \`tools/fake_router --mode silent\` (found by its SSDP search, then never"
    echo "answers) against the router step switched off (\`TESSARIN_ROUTER=off\`). \"End\" is the"
    echo "time RouterPorts's destructor takes at the program's end while the router has not"
    echo "answered: the removal gets exitWaitMs (1 s), then the thread still in a library call"
    echo "is let go."
    echo
    cat "$out/router.txt"
    echo
    echo "Goal: the host window appears as fast as without the router step (within a frame)."
    echo
    fuzz_report "Score file fuzzing" fuzz "the seed corpus in \`bench/fuzz/corpus\`"
    fuzz_report "Network protocol fuzzing" protocol-fuzz "the captured streams in \`bench/fuzz/protocol\`: any bytes through the decoder and into a host's or a joiner's session, then ten seconds of silence"
    fuzz_report "Join link fuzzing" link-fuzz "the links in \`bench/fuzz/link\`: any bytes as a join link and as the Join window's address"
    fuzz_report "Router answers fuzzing" router-fuzz "the seeds in \`bench/fuzz/router\`: any answers of a router through the port mapping, and any address text"
    echo "## Program (Xvfb)"
    echo
    cat "$out/program.txt"
    echo
    echo "CPU time comes from /proc/PID/stat in clock ticks of 1/$(getconf CLK_TCK) s: over 10 s of"
    echo "idling, 0.1 % is the smallest share that shows."
    if [ "$with_game" = 0 ]; then
        echo
        echo "The game itself is measured against the floor with \`bash bench/run.sh --game\`."
    fi
} >"$results"
echo "== wrote $results"
[ "${fuzz_status[*]}" = "0 0 0 0" ] && [ "$strength_status" = 0 ]

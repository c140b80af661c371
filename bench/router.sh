#!/usr/bin/env bash
# What asking the router costs the host's window (bench/router/main.cpp):
# the host's start with a fake router that never answers (found by its
# search, then silent) against the router step switched off, several runs
# of 20 starts each; medians in milliseconds, as Markdown rows.
#
#   bash bench/router.sh BUILD_DIR [runs]
#
# BUILD_DIR holds bench/router/router_bench and tools/fake_router (a
# TESSARIN_BENCH=ON build). Uses the loopback's SSDP and NAT-PMP ports:
# no other fake router may run meanwhile.
set -euo pipefail
build=$1
runs=${2:-5}
bench=$build/bench/router/router_bench
fake=$build/tools/fake_router
export QT_QPA_PLATFORM=offscreen

log=$(mktemp)
# The host's key made once, in a folder of the run's own.
export XDG_DATA_HOME=$(mktemp -d)
"$fake" --mode silent >"$log" &
fake_pid=$!
trap 'kill $fake_pid 2>/dev/null; rm -rf "$log" "$XDG_DATA_HOME"' EXIT
for _ in $(seq 50); do grep -q ready "$log" && break; sleep 0.1; done

# The median of column $1 of the lines that follow.
med() {
    local col=$1; shift
    printf '%s\n' "$@" | awk -v c="$col" '{ print $c }' | sort -g |
        awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
row() { # name, then the runs' lines "return loop end"
    local name=$1; shift
    echo "| $name | $(med 1 "$@") | $(med 2 "$@") | $(med 3 "$@") |"
}
off=() never=()
for _ in $(seq "$runs"); do
    off+=("$(TESSARIN_ROUTER=off "$bench" 20 2>/dev/null)")
    never+=("$(TESSARIN_ROUTER=127.0.0.1 "$bench" 20 2>/dev/null)")
done
echo "| router | start to return (ms) | start to the loop's next turn (ms) | end (ms) |"
echo "|---|---|---|---|"
row "step off (TESSARIN_ROUTER=off)" "${off[@]}"
row "never answers (fake, silent)" "${never[@]}"
echo
echo "Ratio of the medians, start to return: $(awk -v a="$(med 1 "${never[@]}")" \
    -v b="$(med 1 "${off[@]}")" 'BEGIN { printf "%.2f", a / b }')"

#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures and builds into DIR.
# BUILD_TARGET, when set, builds only those targets (space-separated).
set -euo pipefail
dir=$1; shift
cmake -S "$(dirname "$0")/.." -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
targets=()
for t in ${BUILD_TARGET:-}; do
    targets+=(--target "$t")
done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"

#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures and builds into DIR.
# BUILD_TARGET, when set, builds only those targets (space-separated).
# Compiles go through ccache when it is there, keyed on paths relative to
# the checkout, so that another checkout of the same sources builds at once.
set -euo pipefail
dir=$1; shift
top=$(cd "$(dirname "$0")/.." && pwd)
launcher=()
if command -v ccache >/dev/null; then
    export CCACHE_BASEDIR=$top CCACHE_NOHASHDIR=1
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
targets=()
for t in ${BUILD_TARGET:-}; do
    targets+=(--target "$t")
done
cmake --build "$dir" -j "$(nproc)" "${targets[@]}"

#!/usr/bin/env bash
# build.sh DIR [cmake options...]: configures and builds into DIR.
# BUILD_TARGET, when set, builds only that target.
set -euo pipefail
dir=$1; shift
cmake -S "$(dirname "$0")/.." -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)" ${BUILD_TARGET:+--target "$BUILD_TARGET"}

#!/usr/bin/env bash
# Builds the game and starts it in run/, the folder that holds its sound
# files and its records ("Tessarin.ini").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
BUILD_TARGET=tessarin bash scripts/build.sh build/release
mkdir -p run
cd run
exec ../build/release/tessarin "$@"

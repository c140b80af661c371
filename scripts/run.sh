#!/usr/bin/env bash
# Builds the game and its sound effects and starts it in run/, the folder
# that holds its sound files and its records ("Tessarin.ini").
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh
# The game and its sounds, and the icons and pages that `cmake --install`
# puts beside them.
BUILD_TARGET="tessarin sounds icons packaging_files" bash scripts/build.sh build/release
mkdir -p run
cp -u build/release/sounds/*.wav run/
cd run
exec ../build/release/tessarin "$@"

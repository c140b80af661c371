#!/usr/bin/env bash
# Builds the Debian package of the game, build/tessarin_<version>_<arch>.deb
# (in place of any earlier one there), from the release build in
# build/release, which it builds when missing or out of date.
#   package.sh [OUTPUT_DIR]
# Install it with `sudo apt install ./build/tessarin_*.deb`, remove it with
# `sudo apt remove tessarin`.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$top/build}" && cd "${1:-$top/build}" && pwd)
cd "$top"
bash scripts/deps.sh
BUILD_TARGET="tessarin sounds icons packaging_files" bash scripts/build.sh build/release
# The package's own staging area, so that packaging never disturbs the build.
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cpack -G DEB --config build/release/CPackConfig.cmake -B "$stage" >"$stage/cpack.log" 2>&1 ||
    { cat "$stage/cpack.log" >&2; exit 1; }
deb=$(ls "$stage"/tessarin_*.deb)
rm -f "$out"/tessarin_*.deb # one package to install
mv -f "$deb" "$out/"
echo "$out/$(basename "$deb")"

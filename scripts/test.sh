#!/usr/bin/env bash
# Builds everything and runs every test: the normal build (core and front
# end), then the core tests again built with AddressSanitizer and
# UndefinedBehaviorSanitizer, where any report fails the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh

echo "== normal build"
bash scripts/build.sh build/release
(cd build/release && ctest --output-on-failure -j "$(nproc)")

echo "== sanitizer build (core)"
bash scripts/build.sh build/asan -DTESSARIN_GUI=OFF -DTESSARIN_SANITIZE=ON
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd build/asan && ctest --output-on-failure -j "$(nproc)")

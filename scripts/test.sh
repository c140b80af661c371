#!/usr/bin/env bash
# Builds everything and runs every test: the normal build (core and front
# end), then the core and front-end tests again built with AddressSanitizer
# and UndefinedBehaviorSanitizer, where any report fails the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/deps.sh

echo "== normal build"
bash scripts/build.sh build/release -DTESSARIN_WERROR=ON
(cd build/release && ctest --output-on-failure -j "$(nproc)")

echo "== sanitizer build (core and front end)"
bash scripts/build.sh build/asan -DTESSARIN_SANITIZE=ON -DTESSARIN_WERROR=ON
# Freed memory is filled with a pattern, so that a read of a freed object
# inside Qt (a socket's read handler, say) goes wrong at once instead of
# finding what was there before.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:max_free_fill_size=1048576:free_fill_byte=190
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$top/scripts/lsan.supp
# The programs on X and the package are tried in the normal build.
(cd build/asan && ctest --output-on-failure -j "$(nproc)" -E '_on_x$|^installed_game$|^debian_package$')

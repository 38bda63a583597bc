#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# and runs every test there; the first report stops the test that made it. Extra arguments
# go to ctest (e.g. -R tst_shell).
set -euo pipefail
cd "$(dirname "$0")/.."
BREVIK_BUILD_DIR=build-asan BREVIK_CMAKE_OPTIONS="-DBREVIK_SANITIZE=ON -DBREVIK_BUILD_BENCH=OFF" \
    bash scripts/build.sh
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cd build-asan
ctest --output-on-failure -j "$(nproc 2>/dev/null || sysctl -n hw.ncpu)" "$@"

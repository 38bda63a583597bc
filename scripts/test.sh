#!/usr/bin/env bash
# Builds everything and runs every test. Extra arguments go to ctest (e.g. -R tst_shell).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
ctest --output-on-failure -j "$(nproc 2>/dev/null || sysctl -n hw.ncpu)" "$@"

#!/usr/bin/env bash
# Configures (once) and builds into build/, or into $BREVIK_BUILD_DIR configured with the
# CMake options in $BREVIK_CMAKE_OPTIONS. Extra arguments go to the build tool.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
dir="${BREVIK_BUILD_DIR:-build}"
read -r -a options <<<"${BREVIK_CMAKE_OPTIONS:-}"
if [[ "$(uname -s)" == "Darwin" ]] && command -v brew >/dev/null; then
    options+=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")
fi
[[ -f "$dir/CMakeCache.txt" ]] || cmake -S . -B "$dir" -G Ninja "${options[@]}"
cmake --build "$dir" "$@"

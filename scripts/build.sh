#!/usr/bin/env bash
# Configures (once) and builds into build/. Extra arguments go to the build tool.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
prefix=()
if [[ "$(uname -s)" == "Darwin" ]] && command -v brew >/dev/null; then
    prefix=(-DCMAKE_PREFIX_PATH="$(brew --prefix qt)")
fi
[[ -f build/CMakeCache.txt ]] || cmake -S . -B build -G Ninja "${prefix[@]}"
cmake --build build "$@"

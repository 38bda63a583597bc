#!/usr/bin/env bash
# Builds the app and starts it; arguments go to the app (e.g. --scan, --guard).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --target brevik
if [[ "$(uname -s)" == "Darwin" ]]; then
    exec build/bin/Brevik.app/Contents/MacOS/Brevik "$@"
fi
exec build/bin/brevik "$@"

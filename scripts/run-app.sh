#!/usr/bin/env bash
# Builds the app and starts it; arguments go to the app (e.g. --scan, --guard).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --target brevik
exec build/bin/brevik "$@"

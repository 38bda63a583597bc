#!/usr/bin/env bash
# Renders the window into docs/screenshots/SCENARIO.png (light), SCENARIO-dark.png (the dark
# appearance) and SCENARIO-en.png (light, in English) for four simulated Macs: off-screen, at
# device pixel ratio 2, once the first scan and its internet test have finished.
#
#   scripts/screenshots.sh                   1220 x 880 into docs/screenshots
#   scripts/screenshots.sh 1080x720 /tmp/x   another content size, another folder
set -euo pipefail
cd "$(dirname "$0")/.."
size="${1:-1220x880}"
out="${2:-docs/screenshots}"

bash scripts/build.sh --target brevik-screenshot
mkdir -p "$out"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT

# The stand-ins wait a twentieth of the scenario's delays: a scan takes a second or two and
# still shows a plausible duration.
# Each picture: its name's suffix, the appearance, the language.
pictures=(":light:zh" "-dark:dark:zh" "-en:light:en")
for scenario in healthy residual-proxy offline hosts-hijack; do
    for picture in "${pictures[@]}"; do
        IFS=: read -r suffix appearance language <<<"$picture"
        QT_QPA_PLATFORM=offscreen QT_SCALE_FACTOR=2 BREVIK_APPEARANCE="$appearance" \
        BREVIK_LANG="$language" BREVIK_SIMULATE="$scenario" BREVIK_SIM_FRESH=1 \
        BREVIK_SIM_ROOT="$root" BREVIK_SIM_TIME_SCALE=0.05 \
            build/tools/brevik-screenshot "$out/$scenario$suffix.png" "$size"
    done
done

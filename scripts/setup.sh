#!/usr/bin/env bash
# Installs what the build needs when it is missing: Debian/Ubuntu with apt-get, macOS with
# Homebrew. Anything else: prints the packages to install and stops.
set -euo pipefail

# qt6-svg-dev draws the icons; fonts-noto-cjk and fonts-noto-color-emoji give the Chinese
# interface and the status signs of its logs (✅ ❌ ⚠️ ⏳) their glyphs, which a fresh
# Debian/Ubuntu lacks (they would show as empty boxes); qt6-translations-l10n makes Qt's own
# dialogs and menus speak the window's language; qt6-l10n-tools (lupdate, lrelease) and
# qt6-tools-dev (their CMake files) build the English translation (Homebrew's qt carries all
# of these).
debian_packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev qt6-translations-l10n
    qt6-l10n-tools qt6-tools-dev fonts-noto-cjk fonts-noto-color-emoji curl)

if [[ "$(uname -s)" == "Darwin" ]]; then
    command -v brew >/dev/null || { echo "Install Homebrew first: https://brew.sh" >&2; exit 1; }
    for formula in qt cmake ninja; do
        brew list --formula "$formula" >/dev/null 2>&1 || brew install "$formula"
    done
    exit 0
fi

if command -v dpkg-query >/dev/null; then
    missing=()
    for pkg in "${debian_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    if ((${#missing[@]})); then
        sudo=""
        [[ $(id -u) -eq 0 ]] || sudo="sudo"
        echo "Installing: ${missing[*]}"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
    fi
    # Every command runs with LC_ALL=en_US.UTF-8 (the parsers read English tool output);
    # without that locale bash prefixes each command's output with a setlocale warning.
    if ! locale -a 2>/dev/null | grep -qiE '^en_US\.utf-?8$'; then
        sudo=""
        [[ $(id -u) -eq 0 ]] || sudo="sudo"
        dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed" || {
            $sudo apt-get update -qq
            DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq locales >/dev/null
        }
        $sudo sed -i 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
        $sudo locale-gen >/dev/null
    fi
    exit 0
fi

echo "Please install: CMake >= 3.21, Ninja, a C++20 compiler, Qt >= 6.4 (Core, Widgets, Svg, Test, Linguist tools), a CJK font (Noto Sans CJK), a colour emoji font, curl" >&2
exit 1

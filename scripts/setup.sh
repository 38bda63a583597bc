#!/usr/bin/env bash
# Installs what the build needs when it is missing: Debian/Ubuntu with apt-get, macOS with
# Homebrew. Anything else: prints the packages to install and stops.
set -euo pipefail

debian_packages=(cmake ninja-build g++ qt6-base-dev curl)

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
    exit 0
fi

echo "Please install: CMake >= 3.21, Ninja, a C++20 compiler, Qt >= 6.4 (Core, Widgets, Test), curl" >&2
exit 1

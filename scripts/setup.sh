#!/bin/bash
# Installs what this Debian 12 machine lacks for Quorvel, then configures and builds into build/.
#   scripts/setup.sh [--demo] [ninja targets...]     (no targets: everything)
# --demo installs only what the program and the demo need, and builds without the tests when
# GoogleTest is not there. clang and its runtime are for the fuzz targets (scripts/fuzz.sh).
# QUORVEL_BUILD_DIR overrides the build folder; QUORVEL_BUILD_JOBS the number of build jobs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUORVEL_BUILD_DIR:-$root/build}

demo=0
if [ "${1:-}" = --demo ]; then
    demo=1
    shift
fi

packages=(
    cmake ninja-build g++
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl1-mesa-dev fonts-dejavu-core
    unixodbc unixodbc-dev odbcinst libsqliteodbc odbc-postgresql
    libjpeg62-turbo-dev libgif-dev
)
if [ $demo = 0 ]; then
    packages+=(postgresql libgtest-dev poppler-utils clang libclang-rt-14-dev)
fi

install_missing() {
    if ! command -v dpkg-query >/dev/null 2>&1; then
        echo "setup: no dpkg here; install by hand: ${packages[*]}" >&2
        return 0
    fi
    local missing=() p
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    local sudo=()
    if [ "$(id -u)" != 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            sudo=(sudo)
        else
            echo "setup: these packages are missing and installing them needs root: ${missing[*]}" >&2
            exit 1
        fi
    fi
    echo "setup: installing ${missing[*]}"
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

install_missing
# QUORVEL_SETUP_INSTALL_ONLY=1: only the packages (scripts/fuzz.sh builds elsewhere).
[ "${QUORVEL_SETUP_INSTALL_ONLY:-}" = 1 ] && exit 0

jobs=${QUORVEL_BUILD_JOBS:-$(nproc 2>/dev/null || echo 2)}
testing=-DBUILD_TESTING=ON
if [ $demo = 1 ]; then
    # The demo builds only its own targets; a build folder that has the tests keeps them.
    testing=
    dpkg-query -W -f='${Status}\n' libgtest-dev 2>/dev/null | grep -q '^install ok installed$' ||
        testing=-DBUILD_TESTING=OFF
fi
cmake -S "$root" -B "$build" -G Ninja -Wno-dev $testing >/dev/null
ninja -C "$build" -j "$jobs" "$@"

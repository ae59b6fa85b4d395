#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: makes sure the Debian packages the project needs are
# installed, then configures and builds into build/. Sourced, not run.

QUILLSHIFT_PACKAGES=(
    cmake make g++
    qt6-base-dev qt6-qpa-plugins libqscintilla2-qt6-dev fonts-liberation
    libgtest-dev libbenchmark-dev
    appstream desktop-file-utils
)

quillshift_missing_packages() {
    local pkg
    for pkg in "${QUILLSHIFT_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
            printf '%s\n' "$pkg"
        fi
    done
}

quillshift_install_packages() {
    local missing
    mapfile -t missing < <(quillshift_missing_packages)
    [ "${#missing[@]}" -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Quillshift needs these Debian packages. Install them with:" >&2
        echo "sudo apt-get install -y --no-install-recommends ${missing[*]}" >&2
        return 1
    fi
    echo "Installing ${missing[*]} ..."
    export DEBIAN_FRONTEND=noninteractive
    apt-get update && apt-get install -y --no-install-recommends "${missing[@]}"
}

quillshift_build() {
    local build_dir=${1:-build}
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" &&
        cmake --build "$build_dir" -j2
}

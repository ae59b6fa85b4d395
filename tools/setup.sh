#!/usr/bin/env bash
# Shared set-up for run.sh, test.sh and tools/fuzz.sh: makes sure the Debian packages the project
# needs are installed, then configures and builds. Sourced, not run.

QUILLSHIFT_PACKAGES=(
    cmake make g++
    qt6-base-dev qt6-qpa-plugins libqscintilla2-qt6-dev fonts-liberation
    libgtest-dev libbenchmark-dev
    appstream desktop-file-utils
    xvfb openbox xdotool x11-utils x11-xkb-utils wmctrl xclip imagemagick qt6ct libx11-dev libxcb1-dev
    dpkg-dev file lintian devscripts
    nlohmann-json3-dev patch
    libacl1-dev libattr1-dev acl attr
    zsh fish
)

# Only for running the fuzzers (tools/fuzz.sh); the corpus replay in the tests needs none of them.
QUILLSHIFT_FUZZ_PACKAGES=(clang-14 libclang-rt-14-dev)

# For the Windows build that test.sh makes in build-win64: the MinGW-w64 cross compiler (the
# 64-bit one with POSIX threads, which std::thread needs; windres comes with it), GoogleTest's
# sources to build with it, 64-bit Wine to run its tests headless, and NSIS for its installer.
QUILLSHIFT_WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix googletest wine wine64 nsis)

# Prints the packages among "$@" (default: QUILLSHIFT_PACKAGES) that are not installed.
quillshift_missing_packages() {
    local pkg
    [ "$#" -gt 0 ] || set -- "${QUILLSHIFT_PACKAGES[@]}"
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}\n' "$pkg" 2>/dev/null | grep -q '^install ok installed$'; then
            printf '%s\n' "$pkg"
        fi
    done
}

# Installs the packages among "$@" (default: QUILLSHIFT_PACKAGES) that are missing.
quillshift_install_packages() {
    local missing
    mapfile -t missing < <(quillshift_missing_packages "$@")
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

# quillshift_build [BUILD_DIR [CMAKE_ARGUMENT...]]: configures and builds everything.
quillshift_build() {
    local build_dir=${1:-build}
    shift || true
    cmake -S . -B "$build_dir" -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-Release}" "$@" &&
        cmake --build "$build_dir" -j2
}

# quillshift_build_windows [BUILD_DIR [CMAKE_ARGUMENT...]]: cross-builds the batch converter and its
# tests for 64-bit Windows (default folder build-win64), with GoogleTest built from
# /usr/src/googletest by the same compiler.
quillshift_build_windows() {
    local build_dir=${1:-build-win64}
    shift || true
    quillshift_build "$build_dir" --toolchain cmake/toolchains/x86_64-w64-mingw32.cmake "$@"
}

# quillshift_test_windows [BUILD_DIR]: runs the Windows build's tests under Wine. The Wine prefix
# lives in BUILD_DIR/wine (about 700 MB, made on the first run in about 25 s); its wineserver is
# started and the prefix booted before ctest, and stopped again afterwards, also on failure.
quillshift_test_windows() {
    local build_dir=${1:-build-win64}
    local status=0
    # shellcheck disable=SC2064  # the folder is known now, not when the shell ends
    trap "tools/wine.sh stop '$build_dir/wine'" EXIT
    tools/wine.sh boot "$build_dir/wine"
    (cd "$build_dir" && ctest --output-on-failure -j2) || status=$?
    tools/wine.sh stop "$build_dir/wine"
    trap - EXIT
    return "$status"
}

# quillshift_build_sanitized [BUILD_DIR [CMAKE_ARGUMENT...]]: everything, tests included, with
# AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer (default folder build-asan).
# Unoptimised, which compiles in about half the time of -O1; the sanitized tests still run in
# seconds. The benchmarks are left out.
quillshift_build_sanitized() {
    local build_dir=${1:-build-asan}
    shift || true
    quillshift_build "$build_dir" -DQUILLSHIFT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_FLAGS_DEBUG="-g -O0" -DQUILLSHIFT_BENCHMARKS=OFF "$@"
}

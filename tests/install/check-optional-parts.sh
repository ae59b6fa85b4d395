#!/usr/bin/env bash
# The optional parts of the build are chosen, not found: with their libraries hidden from CMake, a
# configuration that asks for a part stops and names the Debian package it needs, and one that
# turns the part off configures.
# Usage: check-optional-parts.sh SOURCE_DIR
set -euo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# configure NAME ARGUMENT...: configures the project into its own folder; output in $work/NAME.log.
configure() {
    local name=$1
    shift
    cmake -S "$source_dir" -B "$work/$name" -DBUILD_TESTING=OFF "$@" > "$work/$name.log" 2>&1
}

# part OPTION PACKAGE NAME_TO_HIDE
part() {
    local option=$1 package=$2 hidden=$3
    if configure "$option-on" "-D$option=ON" "-DCMAKE_DISABLE_FIND_PACKAGE_$hidden=ON"; then
        fail "$option=ON configures without $hidden"
    elif ! grep -q "$option is on.*$package" <(tr -d '\n' < "$work/$option-on.log"); then
        fail "$option=ON without $hidden does not say to install $package:"
        cat "$work/$option-on.log"
    fi
    configure "$option-off" "-D$option=OFF" "-DCMAKE_DISABLE_FIND_PACKAGE_$hidden=ON" || {
        fail "$option=OFF does not configure without $hidden:"
        cat "$work/$option-off.log"
    }
}

part QUILLSHIFT_X11 libxcb1-dev X11
part QUILLSHIFT_BENCHMARKS libbenchmark-dev benchmark

# Without the window, Qt is not needed, tests and benchmarks included (the Windows build compiles
# such a build).
configure window-off -DQUILLSHIFT_WINDOW=OFF -DCMAKE_DISABLE_FIND_PACKAGE_Qt6=ON \
    -DBUILD_TESTING=ON || {
    fail "QUILLSHIFT_WINDOW=OFF does not configure without Qt:"
    cat "$work/window-off.log"
}

[ "$failed" -eq 0 ] && echo "each optional part is built when asked for, or the build stops"
exit "$failed"

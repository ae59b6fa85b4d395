#!/usr/bin/env bash
# Checks that the programs of an optimised build are hardened as Debian's hardening=+all builds
# them and carry no .comment section. hardening-check's control-flow check is left out: Debian 12's
# C library start files carry no CET note, so no program linked there gets one; the programs'
# own objects are checked for it instead.
# Usage: check-hardening.sh BUILD_DIR
set -euo pipefail
build=$1
failed=0
fail() { echo "FAIL: $*"; failed=1; }

command -v hardening-check > /dev/null ||
    { echo "FAIL: hardening-check is missing (Debian package devscripts; tools/setup.sh installs it)"; exit 1; }

for program in quillshift quillshift-convert; do
    file=$build/bin/$program
    report=$(hardening-check --nocfprotection "$file") || fail "$program is not hardened"
    echo "$report"
    for feature in "Position Independent Executable" "Stack protected" "Fortify Source functions" \
        "Read-only relocations" "Immediate binding"; do
        grep -q "^ $feature: yes" <<< "$report" || fail "$program: $feature is not yes"
    done
    if readelf -S -W "$file" | grep -q ' \.comment '; then
        fail "$program has a .comment section"
    fi
done

# Control-flow protection, where the compiler has it: the programs' own code is built with it.
if [ "$(uname -m)" = x86_64 ]; then
    object=$(find "$build/src/app" -name 'main.cpp.o' | head -n 1)
    readelf -n "$object" | grep -q 'x86 feature: IBT, SHSTK' ||
        fail "the window program's code is not built with control-flow protection"
fi

[ "$failed" -eq 0 ] && echo "both programs are hardened"
exit "$failed"

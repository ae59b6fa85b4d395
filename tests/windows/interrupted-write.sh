#!/usr/bin/env bash
# Ctrl+C while the atomic writer of the Windows build is half-way: the console's handler removes
# the temporary file, the process ends, and the target is as it was. Under Wine a SIGINT to the
# program's process is the console's Ctrl+C (CTRL_C_EVENT).
# Usage: interrupted-write.sh WINE_SH WINE_PREFIX INTERRUPTED_WRITER_EXE
set -euo pipefail
wine=$1
prefix=$2
writer=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }

for mode in replace new; do
    folder=$work/$mode
    mkdir -p "$folder"
    printf precious > "$folder/keep.ifs"
    target=$folder/keep.ifs
    [ "$mode" = new ] && target=$folder/new.ifs
    rm -f "$work/ready"
    # Job control gives the program its own process group, where SIGINT is not ignored.
    set -m
    "$wine" run "$prefix" "$writer" "$target" "$mode" "$work/ready" &
    pid=$!
    set +m
    for _ in $(seq 300); do
        [ -e "$work/ready" ] && break
        sleep 0.1
    done
    [ -e "$work/ready" ] || fail "$mode: the writer never got ready"
    [ "$(ls -A "$folder" | grep -c '^\.quillshift-')" = 1 ] ||
        fail "$mode: no temporary file while writing: $(ls -A "$folder")"
    kill -INT "$pid"
    status=0
    wait "$pid" || status=$?
    [ "$status" != 3 ] || fail "$mode: Ctrl+C did not end the program"
    [ "$(cat "$folder/keep.ifs")" = precious ] || fail "$mode: keep.ifs changed"
    [ "$(ls -A "$folder")" = keep.ifs ] ||
        fail "$mode: left behind after Ctrl+C: $(ls -A "$folder" | tr '\n' ' ')"
done
[ "$failed" -eq 0 ] && echo "Ctrl+C leaves every target as it was and no temporary file"
exit "$failed"

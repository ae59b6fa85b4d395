#!/usr/bin/env bash
# The Windows build converts every golden script to exactly the Linux build's bytes, in every
# mode: -o, -r, -i, "- -", --dry-run, --diff, --json and --check. Each run is made by both programs
# in folders holding the same files; their converted files, standard output, standard error and
# exit status must be equal. Only the folder separator of the names in the report may differ
# ("out\New a.ifs" on Windows, "out/New a.ifs" on Linux); converted scripts and diffs are compared
# byte for byte. The Windows results are also checked against the golden files.
# (The golden scripts hold no backslash, so that one in a report can only be a separator.)
# Usage: same-bytes.sh LINUX_PROGRAM WINE_SH WINE_PREFIX WINDOWS_PROGRAM CONVERSION_GOLDEN CLI_GOLDEN
set -euo pipefail
linux=$1
wine=$2
prefix=$3
windows=$4
golden=$5
cli_golden=$6
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
fail() { echo "FAIL: $*"; failed=1; }

mapfile -t scripts < <(cd "$golden" && ls -- *.ifs)
for side in linux windows; do
    mkdir -p "$work/$side"
    cp "$golden"/*.ifs "$work/$side/"
    mkdir -p "$work/$side/tree/sub/deeper" "$work/$side/out" "$work/$side/tree-out" \
        "$work/$side/json-out" "$work/$side/dry-out" "$work/$side/in-place"
    cp "$golden"/*.ifs "$work/$side/tree/sub/"
    cp "$golden"/typical.ifs "$work/$side/tree/sub/deeper/again.IFS"
    cp "$golden"/*.ifs "$work/$side/in-place/"
    # One modification time for every copy, which the diffs' head lines show (Windows keeps it
    # to 100 ns).
    find "$work/$side" -type f -exec touch -d '2024-03-01 12:34:56.123456700' {} +
done

# run NAME [--input FILE] [--report-paths] ARGUMENT...: runs both programs in their folders and
# compares what they printed and how they ended.
run() {
    local name=$1 input=/dev/null normalise=0
    shift
    [ "$1" = --input ] && { input=$2; shift 2; }
    [ "$1" = --report-paths ] && { normalise=1; shift; }
    (cd "$work/linux" && "$linux" "$@") < "$input" > "$work/linux.out" 2> "$work/linux.err" &&
        echo 0 > "$work/linux.status" || echo $? > "$work/linux.status"
    (cd "$work/windows" && "$wine" run "$prefix" "$windows" "$@") < "$input" \
        > "$work/windows.out" 2> "$work/windows.err" &&
        echo 0 > "$work/windows.status" || echo $? > "$work/windows.status"
    local stream
    for side in linux windows; do
        # The "+++" head line of a diff dates the conversion with the time it was made.
        sed -i -E 's#^((\x1b\[[0-9;]*m)?\+\+\+ [^\t]*)\t[0-9-]+ [0-9:.]+ [+-][0-9]{4}#\1\tNOW#' \
            "$work/$side.out"
    done
    for stream in out err status; do
        if [ "$normalise" = 1 ]; then
            # Names in the report only: "\" as written on Windows, "\\" inside JSON strings.
            sed -i 's#\\\\#/#g; s#\\#/#g' "$work/windows.$stream"
        fi
        cmp -s "$work/linux.$stream" "$work/windows.$stream" || {
            fail "$name: standard $stream differs"
            diff <(od -c "$work/linux.$stream") <(od -c "$work/windows.$stream") | head -20
        }
    done
}

# compare_files NAME FILE...: the files both runs made must be equal, byte for byte.
compare_files() {
    local name=$1 file
    shift
    for file in "$@"; do
        [ -f "$work/windows/$file" ] || { fail "$name: Windows made no $file"; continue; }
        cmp -s "$work/linux/$file" "$work/windows/$file" || fail "$name: $file differs"
    done
}

run "-o" --report-paths -o out "${scripts[@]}"
outputs=()
for script in "${scripts[@]}"; do
    outputs+=("out/New $script")
    cmp -s "$work/windows/out/New $script" "$golden/${script%.ifs}.expected" ||
        fail "-o: out/New $script is not ${script%.ifs}.expected"
done
compare_files "-o" "${outputs[@]}"

run "-r" --report-paths -r -o tree-out tree
tree_outputs=("tree-out/sub/deeper/New again.IFS")
for script in "${scripts[@]}"; do
    tree_outputs+=("tree-out/sub/New $script")
done
compare_files "-r" "${tree_outputs[@]}"

run "-i" --report-paths -i.orig in-place
in_place=()
for script in "${scripts[@]}"; do
    in_place+=("in-place/$script" "in-place/$script.orig")
done
run "-i -r" --report-paths -r -i.orig in-place
compare_files "-i" "${in_place[@]}"

for script in "${scripts[@]}"; do
    run "- - < $script" --input "$golden/$script" - -
done

run "--dry-run" --report-paths -n --set "Authors=Zo$(printf '\xc3\xab')" -o dry-out "${scripts[@]}"
run "--diff" --diff "${scripts[@]}"
run "--diff typical.ifs" --diff typical.ifs
sed -E 's#^((---|\+\+\+) [^\t]*)\t.*#\1#' "$work/windows.out" | cmp -s - "$cli_golden/typical.diff" ||
    fail "--diff: not golden/typical.diff"
run "--diff --color=always" --diff --color=always typical.ifs
run "--json" --report-paths --json --set Version=2.0 --set "Title=$(printf '\xe2\x82\xac')" \
    -o json-out "${scripts[@]}" "out/New typical.ifs"
json_outputs=()
for script in "${scripts[@]}"; do
    json_outputs+=("json-out/New $script")
done
compare_files "--json" "${json_outputs[@]}"
run "--check" --check "${scripts[@]}"
run "--check" --check -q "out/New typical.ifs"

[ "$failed" -eq 0 ] &&
    echo "the Windows build writes the Linux build's bytes for ${#scripts[@]} scripts in every mode"
exit "$failed"

#!/usr/bin/env bash
# The command line of the real quillshift: --help and --version answer on standard output without
# a display, an unknown option is an error on standard error (status 2) and opens no window, and a
# script given as an argument, even one whose name begins with '-' after "--", is opened.
#
#   desktop-options.sh PROGRAM
set -euo pipefail
program=$1

source "$(dirname "$0")/desktop-session.sh"
desktop_session "$program"

# expect DISPLAY_OR_NONE STATUS STDOUT_PATTERN STDERR_PATTERN ARGUMENT...: runs the program with
# the arguments, on the session's display or on none (X11 still asked for), and checks its exit
# status and that each output matches its grep pattern ('' for an empty output).
expect() {
    local display=$1 status=$2 out_pattern=$3 err_pattern=$4 seen=0
    shift 4
    local row="quillshift $*"
    if [ "$display" = none ]; then
        env -u DISPLAY timeout 20 "$scratch/app/quillshift" "$@" > "$scratch/out" 2> "$scratch/err" ||
            seen=$?
    else
        timeout 20 "$scratch/app/quillshift" "$@" > "$scratch/out" 2> "$scratch/err" || seen=$?
    fi
    # Qt's own notes (QStandardPaths and the like) are not the program's words.
    grep -v '^QStandardPaths: ' "$scratch/err" > "$scratch/err.own" || true
    [ "$seen" = "$status" ] || fail "$row: exit status $seen, expected $status"
    check_output "$row" standard-output "$scratch/out" "$out_pattern"
    check_output "$row" standard-error "$scratch/err.own" "$err_pattern"
}

check_output() {
    local row=$1 name=$2 file=$3 pattern=$4
    if [ -z "$pattern" ]; then
        [ ! -s "$file" ] || fail "$row: $name is not empty: $(head -c 300 "$file")"
    elif ! grep -q -E -- "$pattern" "$file"; then
        fail "$row: $name does not match '$pattern': $(head -c 300 "$file")"
    fi
}

expect none 0 '^Usage: .*quillshift \[options\] \[script\]$' '' --help
expect none 0 '^  -v, --version ' '' -h
expect none 0 "^Quillshift for RVLT [0-9]+(\.[0-9]+)+$" '' --version
expect none 0 '^Quillshift for RVLT ' '' -v
expect none 0 '^Usage: ' '' script.ifs --help
expect none 2 '' "^quillshift: Unknown option 'bogus'\.$" --help --bogus
expect session 2 '' "^quillshift: Unknown option 'bogus'\.$" --bogus
expect session 2 '' "^Try 'quillshift --help' for more information\.$" -x script.ifs
expect session 2 '' "Unknown option" --vers
expect session 0 '^  --platform ' '' --help-all

# A script is opened: the settings file then keeps its folder. After "--", a name that begins
# with '-' is a script too.
mkdir -p "$scratch/scripts" "$scratch/dashed"
cp "$(dirname "$0")/../conversion/golden/typical.ifs" "$scratch/scripts/typical.ifs"
cp "$(dirname "$0")/../conversion/golden/typical.ifs" "$scratch/dashed/--help"
opened_folder() {
    sed -n 's/^Input=//p' "$settings" | tr -d '\r'
}
start "$scratch/scripts/typical.ifs"
close_window
[ "$(opened_folder)" = "$scratch/scripts/" ] ||
    fail "quillshift SCRIPT did not open the script (folder kept: '$(opened_folder)')"
cd "$scratch/dashed"
start -- --help
close_window
[ "$(opened_folder)" = "$scratch/dashed/" ] ||
    fail "quillshift -- --help did not open the script named --help (folder kept: '$(opened_folder)')"

[ "$failed" -eq 0 ] && echo "the command line is answered as documented"
exit "$failed"

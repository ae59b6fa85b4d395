#!/usr/bin/env bash
# The zsh and fish completions of quillshift-convert: the zsh one parses, and fish, asked for the
# completions of partial command lines in a folder of scripts, offers what each row says.
# Usage: check-other-completions.sh COMPLETION_FOLDER
set -u
folder=$(cd "$1" && pwd)
failed=0
zsh -n "$folder/_quillshift-convert" || { echo "FAIL: the zsh completion does not parse"; failed=1; }

scripts=$(mktemp -d)
trap 'rm -rf "$scripts"' EXIT
cd "$scripts" && mkdir sub && touch a.ifs B.IFS notes.txt
while IFS=$'\t' read -r line expected; do
    got=$(fish -c "source '$folder/quillshift-convert.fish'; complete -C '$line'" | cut -f1 |
        paste -sd '|')
    if [ "$got" != "$expected" ]; then
        echo "FAIL: fish offers '$got' for '$line', expected '$expected'"
        failed=1
    fi
done <<'ROWS'
quillshift-convert 	a.ifs|B.IFS|sub/
quillshift-convert --recu	--recursive
quillshift-convert --set Lan	Language=
quillshift-convert --set=Language=Port	--set=Language=Portuguese
quillshift-convert --color=n	--color=never
quillshift-convert --fix=line-replaced,wr	--fix=line-replaced,wrong-argument-split
quillshift-convert -o 	sub/
ROWS
exit "$failed"

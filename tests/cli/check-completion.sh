#!/usr/bin/env bash
# The bash completion of quillshift-convert, given partial command lines as bash hands them over
# (it splits words at "="): each row is the line typed and what completion must offer.
set -u
source "$1"
failed=0
complete_line() {
    COMP_LINE=$1
    COMP_POINT=${#1}
    read -ra COMP_WORDS <<<"${1//=/ = }"
    [[ $1 == *= ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _quillshift_convert
    local IFS='|'
    echo "${COMPREPLY[*]}"
}
while IFS=$'\t' read -r line expected; do
    got=$(complete_line "$line")
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$line' offers '$got', expected '$expected'"
        failed=1
    fi
done <<'ROWS'
quillshift-convert --rec	--reconvert|--recursive
quillshift-convert --set Lan	Language=
quillshift-convert --set Language=en	EN|EN,FR|English|English,\ French
quillshift-convert --set=language=por	Portuguese
quillshift-convert --color=n	never
quillshift-convert --st	--strict
quillshift-convert --fi	--files-from|--fix|--fix=
quillshift-convert --fix=c	call-continues|code-commented-out
quillshift-convert --fix=line-replaced,wr	line-replaced,wrong-argument-split
quillshift-convert --fix=line-replaced,li	
ROWS
exit "$failed"

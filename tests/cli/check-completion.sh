#!/usr/bin/env bash
# The bash completion of quillshift-convert, given partial command lines as bash hands them over
# (it splits words at "="): each row is the line typed, what completion must offer, and the
# completion options it must set ("nothing" for no offer). Whatever it offers, it must keep every letter typed: bash puts
# the part the offers share in place of the word.
set -u
source "$1"
failed=0
compopt() { options+="${options:+ }$*"; }
complete_line() {
    COMP_LINE=$1
    COMP_POINT=${#1}
    read -ra COMP_WORDS <<<"${1//=/ = }"
    [[ $1 == *= ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    options=
    _quillshift_convert
}
keeps_typed() {
    local typed=$1 reply
    shift
    for reply in "$@"; do
        if (($# == 1)); then
            [[ ${reply,,} == "${typed,,}"* ]] || return 1
        else
            [[ $reply == "$typed"* ]] || return 1
        fi
    done
}
while IFS=$'\t' read -r line expected expected_options; do
    complete_line "$line"
    got=$(IFS='|' && echo "${COMPREPLY[*]:-nothing}")
    if [ "$got" != "$expected" ] || [ "$options" != "$expected_options" ]; then
        echo "FAIL: '$line' offers '$got' ($options), expected '$expected' ($expected_options)"
        failed=1
    fi
    if ! keeps_typed "${COMP_WORDS[COMP_CWORD]//\\/}" "${COMPREPLY[@]//\\/}"; then
        echo "FAIL: '$line' offers '$got', which drops letters typed"
        failed=1
    fi
done <<'ROWS'
quillshift-convert --rec	--reconvert|--recursive	+o filenames
quillshift-convert --set Lan	Language=	+o filenames -o nospace
quillshift-convert --set lan	Language=	+o filenames -o nospace
quillshift-convert --set=	Authors=|Title=|Description=|Site=|Version=|Comments=|Language=	+o filenames -o nospace
quillshift-convert --set Language=Fr	Fr|French	+o filenames
quillshift-convert --set Language=fr	fr|french	+o filenames
quillshift-convert --set Language=en	en|en,FR|english|english,\ French	+o filenames
quillshift-convert --set Language=EN	EN|EN,FR|ENglish|ENglish,\ French	+o filenames
quillshift-convert --set=language=por	Portuguese	+o filenames
quillshift-convert --set Title=	nothing	+o filenames
quillshift-convert --color=n	never	+o filenames
quillshift-convert --st	--strict	+o filenames
quillshift-convert --fi	--files-from|--fix|--fix=	+o filenames
quillshift-convert --fix=c	call-continues|code-commented-out	+o filenames -o nospace
quillshift-convert --fix=line-replaced,wr	line-replaced,wrong-argument-split	+o filenames -o nospace
quillshift-convert --fix=line-replaced,li	nothing	+o filenames -o nospace
ROWS
exit "$failed"

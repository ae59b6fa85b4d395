# bash completion for quillshift-convert: options, the fields of --set, the languages of
# --set Language=, folders after -o, and scripts (*.ifs) and folders elsewhere.

# The words among "${@:2}" that begin with $1 in any letter case. Several of them keep the letters
# typed as they are, so that what bash puts in place of the word (the part they share) never
# drops any; one alone is offered as it is written.
_quillshift_convert_matching() {
    local typed=$1 choice i
    COMPREPLY=()
    for choice in "${@:2}"; do
        [[ ${choice,,} == "${typed,,}"* ]] && COMPREPLY+=("$choice")
    done
    if ((${#COMPREPLY[@]} > 1)); then
        for i in "${!COMPREPLY[@]}"; do
            COMPREPLY[i]=$typed${COMPREPLY[i]:${#typed}}
        done
    fi
}

_quillshift_convert() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    # The whole word being typed, "=" included (bash splits words at "="), and the one before it.
    local line=${COMP_LINE:0:COMP_POINT} word previous
    local -a words
    read -ra words <<<"$line"
    if [[ $line =~ [[:space:]]$ ]]; then
        word=
        previous=${words[${#words[@]} - 1]}
    else
        word=${words[${#words[@]} - 1]}
        previous=${words[${#words[@]} - 2]}
    fi

    local assignment=
    if [[ $previous == --set ]]; then
        assignment=$word
    elif [[ $word == --set=* ]]; then
        assignment=${word#--set=}
    fi
    if [[ $previous == --set || $word == --set=* ]]; then
        # Words, not file names: nothing in them is to be quoted.
        compopt +o filenames 2>/dev/null
        if [[ $assignment == *=* ]]; then
            local field=${assignment%%=*}
            if [[ ${field,,} == language ]]; then
                _quillshift_convert_matching "$cur" "?" BR DE EN EN,FR ES FR IT PT Unknown \
                    Brazilian German English "English, French" Spanish French Italian Portuguese
                COMPREPLY=("${COMPREPLY[@]// /\\ }")
            fi
        else
            compopt -o nospace 2>/dev/null
            _quillshift_convert_matching "$cur" Authors= Title= Description= Site= Version= \
                Comments= Language=
        fi
        return
    fi

    case $previous in
    -o | --output-dir)
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    --files-from)
        COMPREPLY=($(compgen -f -- "$cur"))
        return
        ;;
    --name-template)
        return
        ;;
    esac
    if [[ $word == -* ]]; then
        compopt +o filenames 2>/dev/null
    fi
    if [[ $word == --color=* ]]; then
        COMPREPLY=($(compgen -W "auto always never" -- "${word#--color=}"))
        return
    fi
    if [[ $word == --fix=* ]]; then
        # A list of codes: complete the last one, keeping the ones before.
        local list=${word#--fix=} done= code
        [[ $list == *,* ]] && done=${list%,*},
        COMPREPLY=()
        for code in no-program-line program-line-not-recognised wrong-argument-split \
            call-continues second-call-not-rewritten keyword-in-identifier rewrite-in-string \
            rule-overridden code-commented-out dangling-statement line-replaced; do
            if [[ $code == "${list##*,}"* && ,$done != *,$code,* ]]; then
                COMPREPLY+=("$done$code")
            fi
        done
        compopt -o nospace 2>/dev/null
        return
    fi
    if [[ $word == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output-dir -i --in-place --in-place= --name-template -f
            --force --reconvert -r --recursive --hidden --follow-symlinks --files-from -0 --null
            --set -n --dry-run --check --diff --color --color= --fix --fix= --strict -q --quiet
            --json -h --help --version" -- "$cur"))
        [[ ${COMPREPLY[0]} == *= ]] && compopt -o nospace 2>/dev/null
        return
    fi
    COMPREPLY=($(compgen -d -- "$cur") $(compgen -f -X '!*.[iI][fF][sS]' -- "$cur"))
}

complete -o filenames -F _quillshift_convert quillshift-convert

# Bash completion for quillsift-cli. The options and the values of the type
# lists are read from the program's own --help, so that a new option or
# format is completed as soon as the program knows it.

_quillsift_cli_values() {
    # The comma-separated list after "$1" in the help text.
    local line
    line="$(printf '%s\n' "$2" | grep -m1 -- "$1")" || return
    printf '%s\n' "${line##*: }" | tr ',' '\n'
}

_quillsift_cli() {
    local cur="${COMP_WORDS[COMP_CWORD]}"
    local prev="${COMP_WORDS[COMP_CWORD-1]}"
    local help values word
    help="$("${COMP_WORDS[0]}" --help 2>/dev/null)"
    COMPREPLY=()

    case "$prev" in
        -t | --types) values="$(_quillsift_cli_values 'PC file types:' "$help")" ;;
        -c | --cbm-types) values="$(_quillsift_cli_values 'entry types:' "$help")" ;;
        --sid) values="$(_quillsift_cli_values 'SID fields:' "$help")" ;;
        -o | --results-file | --list)
            compopt -o filenames 2>/dev/null
            mapfile -t COMPREPLY < <(compgen -f -- "$cur")
            return 0
            ;;
        -s | --search | -m | --mask | --tool-timeout | -j | --jobs)
            return 0
            ;;
    esac
    if [[ -n "$values" ]]; then
        # A list: the items already typed stay, the last one is completed.
        local done="" last="$cur"
        if [[ "$cur" == *,* ]]; then
            done="${cur%,*},"
            last="${cur##*,}"
        fi
        for word in $values; do
            [[ "${word,,}" == "${last,,}"* ]] && COMPREPLY+=("$done$word")
        done
        compopt -o nospace 2>/dev/null
        return 0
    fi
    if [[ "$cur" == -* ]]; then
        local options
        options="$(printf '%s\n' "$help" | grep -oE -- '(^|[ ,])--?[A-Za-z][-A-Za-z]*' |
            sed 's/^[ ,]//' | sort -u)"
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return 0
    fi
    compopt -o filenames 2>/dev/null
    mapfile -t COMPREPLY < <(compgen -d -- "$cur")
}

complete -F _quillsift_cli quillsift-cli

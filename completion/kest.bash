# bash completion for kest and kestemu. The commands and options come from the programs'
# own --help, so they never fall behind; ports from `kest ports`.

# Files whose names end in one of the given extensions (any case), and folders.
_kest_files() {
    local cur=$1 f ext lower
    shift
    compopt -o filenames 2>/dev/null
    COMPREPLY=()
    while IFS= read -r f; do
        if [[ -d $f ]]; then
            COMPREPLY+=("$f")
            continue
        fi
        lower=$(printf '%s' "$f" | tr '[:upper:]' '[:lower:]')
        for ext in "$@"; do
            if [[ $lower == *."$ext" ]]; then
                COMPREPLY+=("$f")
                break
            fi
        done
    done < <(compgen -f -- "$cur")
}

# Every file and folder.
_kest_any() {
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$1"))
}

# The options a help text names: -x and --name, wherever they stand.
_kest_options_in() {
    grep -oE -- '(^|[][[:space:]|,])--?[a-z][a-z-]*' | sed 's/^[][[:space:]|,]*//' | sort -u
}

_kest() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    local kest=${COMP_WORDS[0]} command="" i
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
        -*) ;;
        *)
            command=${COMP_WORDS[i]}
            break
            ;;
        esac
    done
    if [[ -z $command ]]; then
        local commands
        commands=$("$kest" --help 2>/dev/null | sed -n '/^commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')
        COMPREPLY=($(compgen -W "$commands help -q -v --quiet --verbose --help --version" -- "$cur"))
        return
    fi
    case $prev in
    -p | --port)
        local ports head=""
        # Several ports as a comma list: the one after the last comma.
        if [[ $cur == *,* ]]; then
            head=${cur%,*},
            cur=${cur##*,}
        fi
        ports=$("$kest" ports 2>/dev/null | awk '{ print $1; for (i = 2; i <= NF; i++) if ($i ~ "^/dev/serial/by-id/") print $i }')
        COMPREPLY=($(compgen -W "$ports" -- "$cur"))
        # A kestemu link or any other path.
        [[ $cur == */* || ${#COMPREPLY[@]} -eq 0 ]] && COMPREPLY+=($(compgen -f -- "$cur"))
        COMPREPLY=("${COMPREPLY[@]/#/$head}")
        return
        ;;
    -b | --baud)
        COMPREPLY=($(compgen -W "115200 57600 38400 19200 9600" -- "$cur"))
        return
        ;;
    --project)
        _kest_files "$cur" agx
        return
        ;;
    --format)
        COMPREPLY=($(compgen -W "csv json" -- "$cur"))
        return
        ;;
    --form)
        COMPREPLY=($(compgen -W "1 2 3 4 5 6 7 8 9 10" -- "$cur"))
        return
        ;;
    --csv | --jsonl)
        _kest_any "$cur"
        return
        ;;
    --retries | --keys | --time)
        COMPREPLY=()
        return
        ;;
    --sysfs | --by-id)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    -o)
        case $command in
        build) _kest_files "$cur" agx ;;
        upload) _kest_files "$cur" txt csv ;;
        *) _kest_any "$cur" ;;
        esac
        return
        ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$("$kest" help "$command" 2>/dev/null | _kest_options_in) --help" -- "$cur"))
        return
    fi
    case $command in
    help) COMPREPLY=($(compgen -W "$("$kest" --help 2>/dev/null | sed -n '/^commands:/,/^$/s/^  \([a-z][a-z-]*\) .*/\1/p')" -- "$cur")) ;;
    new | convert | show | check | image | download | simulate) _kest_files "$cur" agx ;;
    build) _kest_files "$cur" json ;;
    srec-check | flash) _kest_files "$cur" shx ;;
    lookup | records) _kest_files "$cur" txt csv ;;
    ports | cradle | upload) COMPREPLY=() ;;
    *) _kest_any "$cur" ;;
    esac
}

_kestemu() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    case $prev in
    --records)
        _kest_files "$cur" txt csv
        return
        ;;
    --state)
        compopt -o filenames 2>/dev/null
        COMPREPLY=($(compgen -d -- "$cur"))
        return
        ;;
    --link)
        _kest_any "$cur"
        return
        ;;
    --cradle-rate)
        COMPREPLY=($(compgen -W "115200 57600 38400 19200 9600" -- "$cur"))
        return
        ;;
    --faults)
        COMPREPLY=($(compgen -W "corrupt-rx= drop-rx= corrupt-reply= drop-reply= nak= full-at= ff= fn= lose-ack= late-reply= silence=" -- "$cur"))
        compopt -o nospace 2>/dev/null
        return
        ;;
    --seed | --flash-size | --flash-base | --erase-delay)
        COMPREPLY=()
        return
        ;;
    esac
    COMPREPLY=($(compgen -W "$("${COMP_WORDS[0]}" --help 2>/dev/null | _kest_options_in)" -- "$cur"))
}

complete -F _kest kest
complete -F _kestemu kestemu

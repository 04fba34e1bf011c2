# bash completion for tolvex
_tolvex() {
    local cur prev command i
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            encode|make|decode|read|batch|check) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "encode make decode read batch check --help --version" -- "$cur"))
        return
    fi
    local picture="--size --no-logo --logo-dir --placement --colour --color --no-frame --format --from -q --quiet --help"
    case $prev in
        --placement) COMPREPLY=($(compgen -W "bottom top left right" -- "$cur")); return ;;
        --colour|--color) COMPREPLY=($(compgen -W "dark medium light gray" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "png svg pdf" -- "$cur")); return ;;
        --from) COMPREPLY=($(compgen -W "xml json text" -- "$cur")); return ;;
        --logo-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --size|-j|--jobs|--timeout) return ;;
    esac
    local options
    case $command in
        encode) options="--from --help" ;;
        make) options="-o --output --strict $picture" ;;
        decode) options="--xml --json --help" ;;
        read) options="--json --csv --text --first --timeout -q --quiet --help" ;;
        batch) options="-o --output -j --jobs -R --recursive --mirror --skip-existing --report --strict $picture" ;;
        check) options="--json --strict -q --quiet --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _tolvex tolvex

# bash completion for tolvex
_tolvex() {
    local cur prev command i
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    command=
    for ((i = 1; i < COMP_CWORD; i++)); do
        case ${COMP_WORDS[i]} in
            encode|make|decode|read|batch|check|stamp|serve) command=${COMP_WORDS[i]}; break ;;
        esac
    done
    if [[ -z $command ]]; then
        COMPREPLY=($(compgen -W "encode make decode read batch check stamp serve --help --version" -- "$cur"))
        return
    fi
    local picture="--size --module-size --margin --dpi --level --boost-level --at --position --page-margin --no-logo --logo-dir --placement --colour --color --no-frame --format --from -q --quiet --help"
    case $prev in
        --placement) COMPREPLY=($(compgen -W "bottom top left right" -- "$cur")); return ;;
        --colour|--color) COMPREPLY=($(compgen -W "dark medium light gray" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "png svg pdf" -- "$cur")); return ;;
        --from) COMPREPLY=($(compgen -W "xml json text" -- "$cur")); return ;;
        --logo-dir) COMPREPLY=($(compgen -d -- "$cur")); return ;;
        --level) COMPREPLY=($(compgen -W "L M Q H" -- "$cur")); return ;;
        --paper) COMPREPLY=($(compgen -W "a4 a5 a6 letter" -- "$cur")); return ;;
        --position) COMPREPLY=($(compgen -W "top-left top top-right left centre right bottom-left bottom bottom-right" -- "$cur")); return ;;
        --tokens) COMPREPLY=($(compgen -f -- "$cur")); return ;;
        --size|--module-size|--margin|--dpi|--at|--page-margin|--page|-j|--jobs|--listen|--threads|--timeout) return ;;
    esac
    local options
    case $command in
        encode) options="--from --help" ;;
        make) options="-o --output --strict --paper $picture" ;;
        decode) options="--xml --json --help" ;;
        read) options="--json --csv --text --first --timeout -q --quiet --help" ;;
        batch) options="-o --output -j --jobs -R --recursive --mirror --skip-existing --report --strict --paper $picture" ;;
        stamp) options="-o --output --page $picture" ;;
        check) options="--json --strict -q --quiet --help" ;;
        serve) options="--listen --threads --tokens --logo-dir -q --quiet --help" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
    else
        COMPREPLY=($(compgen -f -- "$cur"))
    fi
}
complete -o filenames -F _tolvex tolvex

# Bash completion for morvane-sprite-tool: its commands, each command's options and their values,
# sprite indices where a command takes one, folders after --all, commands after "help", and
# files elsewhere.

_morvane_sprite_tool()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    local commands="list export import diff patch apply info checksum demo help"

    if ((COMP_CWORD == 1)); then
        mapfile -t COMPREPLY < <(compgen -W "$commands --help --version" -- "$cur")
        return
    fi

    # The value of "--colours=", "--format=" or "--png=": bash splits the word at "=" into the
    # option, "=" and the value (COMP_WORDBREAKS), or keeps it whole where "=" is no break.
    local option=$prev prefix=""
    if [[ $cur == = ]]; then
        cur=""
    elif [[ $prev == = ]] && ((COMP_CWORD >= 2)); then
        option=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --colours=* || $cur == --format=* || $cur == --png=* ]]; then
        option=${cur%%=*}
        prefix=$option=
        cur=${cur#*=}
    fi
    case $option in
    --colours)
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "greys display" -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -W "text tsv json" -- "$cur")
        return
        ;;
    --png)
        [[ -z $prefix ]] && compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -P "$prefix" -f -- "$cur")
        return
        ;;
    esac

    local command=${COMP_WORDS[1]} options="--quiet --help"
    case $command in
    list) options="--format --quiet --help" ;;
    export) options="--all --sheet --colours --raw --force --quiet --help" ;;
    import) options="--all --sheet --dry-run --raw --quiet --help" ;;
    diff) options="--format --png --force --quiet --help" ;;
    patch | apply) options="--force --quiet --help" ;;
    info) options="--format --quiet --help" ;;
    checksum) options="--fix --quiet --help" ;;
    help) options="--help" ;;
    esac
    if [[ $cur == -?* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi

    # Which argument is being completed, and whether --all or --sheet takes the place of the index.
    local i word operand=0 whole=""
    for ((i = 2; i < COMP_CWORD; i++)); do
        word=${COMP_WORDS[i]}
        case $word in
        --all | --sheet) whole=$word ;;
        --colours | --format | --png)
            # The value follows, after an "=" of its own when bash split "--format=json".
            ((i++))
            [[ ${COMP_WORDS[i]} == = ]] && ((i++))
            ;;
        -?*) ;;
        *) ((operand++)) ;;
        esac
    done

    if [[ $command == help ]]; then
        ((operand == 0)) && mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    elif [[ ($command == export || $command == import) && -z $whole && $operand == 1 ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(seq 0 44)" -- "$cur")
    elif [[ $whole == --all && $operand == 1 ]]; then
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
    else
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -F _morvane_sprite_tool morvane-sprite-tool

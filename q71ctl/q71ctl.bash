# bash completion for q71ctl: its commands, options, settings, and the numbers of the headsets the
# running service lists.
_q71ctl_headsets()
{
    # The first column of `q71ctl list` below its heading; nothing when no service answers.
    q71ctl list 2>/dev/null | awk 'NR > 1 && $1 ~ /^[0-9]+$/ { print $1 }'
}

_q71ctl()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    local words=() i
    # The words typed so far that are not options: the command and its arguments.
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == -* ]] || words+=("${COMP_WORDS[i]}")
    done
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '--json --help --version' -- "$cur"))
        return
    fi
    case ${#words[@]} in
    0)
        COMPREPLY=($(compgen -W 'list show set monitor' -- "$cur"))
        ;;
    1)
        [[ ${words[0]} == show || ${words[0]} == set ]] &&
            COMPREPLY=($(compgen -W "$(_q71ctl_headsets)" -- "$cur"))
        ;;
    2)
        [[ ${words[0]} == set ]] && COMPREPLY=($(compgen -W 'mic-light mic-notification' -- "$cur"))
        ;;
    esac
}
complete -F _q71ctl q71ctl

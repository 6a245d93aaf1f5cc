# bash completion for brindle-cli

_brindle_cli()
{
    local cur prev words cword
    _init_completion || return

    local commands="ports info list name upload download delete update inspect backup backups restore import export play repair move swap help"
    local audio='wav|flac|aif|aiff|aifc|ogg|oga|opus|mp3'

    case $prev in
        --api)
            COMPREPLY=($(compgen -W "alsa jack core winmm simulator" -- "$cur"))
            return ;;
        --audio-api)
            COMPREPLY=($(compgen -W "pulse alsa jack" -- "$cur"))
            return ;;
        --port | --in | --out | --slots | --snapshot | --rate | --from | --audio-device)
            return ;;
        --channel)
            COMPREPLY=($(compgen -W "left right mix" -- "$cur"))
            return ;;
        --bits)
            COMPREPLY=($(compgen -W "16 24 32f" -- "$cur"))
            return ;;
    esac

    # The command and its arguments, skipping the options and their values.
    local i command="" arguments=0
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --api | --port | --in | --out | --slots | --snapshot | --channel | --rate | --bits | --from | --audio-api | --audio-device) ((i++)) ;;
            -*) ;;
            *) if [[ -z $command ]]; then command=${words[i]}; else ((arguments++)); fi ;;
        esac
    done

    if [[ $cur == -* ]]; then
        local options="--api --port --in --out --quiet --verbose --json --help -h --version"
        case $command in
            download) options+=" --yes --verify" ;;
            delete | move) options+=" --yes" ;;
            backup) options+=" --full" ;;
            restore) options+=" --snapshot --slots --missing --yes" ;;
            import) options+=" --yes --channel --verify" ;;
            upload) options+=" --force" ;;
            export) options+=" --rate --bits --force" ;;
            play) options+=" --from --audio-api --audio-device --list-devices" ;;
        esac
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    case $command in
        "") COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        help) ((arguments == 0)) && COMPREPLY=($(compgen -W "$commands" -- "$cur")) ;;
        upload) ((arguments == 1)) && _filedir wav ;;
        download) ((arguments == 0)) && _filedir wav ;;
        update | inspect) ((arguments == 0)) && _filedir dat ;;
        backup | backups | restore) ((arguments == 0)) && _filedir -d ;;
        import) ((arguments == 0)) && _filedir "$audio" ;;
        export) ((arguments == 1)) && _filedir "$audio" ;;
    esac
} &&
    complete -F _brindle_cli brindle-cli

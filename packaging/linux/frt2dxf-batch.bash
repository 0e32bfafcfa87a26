# bash completion for frt2dxf-batch
_frt2dxf_batch() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    local kinds="point-id east-north height code"
    case $prev in
        -o|--output)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        --label)
            COMPREPLY=($(compgen -W "$kinds" -- "$cur"))
            return ;;
        --label-layer|--label-colour)
            COMPREPLY=($(compgen -S = -W "$kinds" -- "$cur"))
            compopt -o nospace 2>/dev/null
            return ;;
        -j|--jobs|--decimals-en|--decimals-h|--symbol-size)
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output --no-points --no-lines --no-areas --no-symbols --point-attributes --preview --preview-labels --2d
            --separate-lines --single-layer --label --label-layer --label-colour --decimals-en
            --decimals-h --symbol-size --from-settings --strict -j --jobs -q --quiet -h --help
            --version" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -X '!*.[fF][rR][tT]' -- "$cur") $(compgen -d -- "$cur"))
}
complete -o filenames -F _frt2dxf_batch frt2dxf-batch

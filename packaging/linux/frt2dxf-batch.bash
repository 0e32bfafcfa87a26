# bash completion for frt2dxf-batch
_frt2dxf_batch() {
    local cur prev
    cur=${COMP_WORDS[COMP_CWORD]}
    prev=${COMP_WORDS[COMP_CWORD-1]}
    local kinds="point-id east-north height code area line-name"
    # After "--label-colour height=" the colour names; bash splits that word at "=".
    local option=${COMP_WORDS[COMP_CWORD-3]}
    if [[ $prev == = && ( $option == --label-colour || $option == --label-layer ) ]]; then
        [[ $option == --label-colour ]] && COMPREPLY=($(compgen -W "red yellow green cyan blue magenta black" -- "$cur"))
        return
    fi
    case $prev in
        -o|--output|--report|--preview)
            COMPREPLY=($(compgen -f -- "$cur"))
            return ;;
        -t|--output-dir)
            COMPREPLY=($(compgen -d -- "$cur"))
            return ;;
        --label)
            COMPREPLY=($(compgen -W "$kinds" -- "$cur"))
            return ;;
        --label-layer|--label-colour)
            COMPREPLY=($(compgen -S = -W "$kinds" -- "$cur"))
            compopt -o nospace 2>/dev/null
            return ;;
        --codepage)
            COMPREPLY=($(compgen -W "ANSI_1250 ANSI_1251 ANSI_1252 ANSI_1253 ANSI_1254 ANSI_1255 ANSI_1256
                ANSI_1257 ANSI_1258" -- "$cur"))
            return ;;
        -j|--jobs|--decimals-en|--decimals-h|--symbol-size|--lock-wait)
            return ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "-o --output -t --output-dir -r --recursive --points --no-points --lines --no-lines --areas --no-areas
            --symbols --no-symbols --point-attributes --no-point-attributes --ascii-names --no-ascii-names --3d --2d --polylines
            --separate-lines --layer-per-code --single-layer --label --no-labels --label-layer
            --label-colour --decimals-en --decimals-h --symbol-size --hatch --no-hatch --hatch-spacing
            --xdata --no-xdata --codepage --from-settings --strict
            -n --no-clobber -u --update -v --verbose --no-sync --lock-wait --dry-run --report --preview --preview-labels -j --jobs -q --quiet -h --help
            --version" -- "$cur"))
        return
    fi
    COMPREPLY=($(compgen -f -X '!*.[fF][rR][tT]' -- "$cur") $(compgen -d -- "$cur"))
}
complete -o filenames -F _frt2dxf_batch frt2dxf-batch

#!/usr/bin/env bash
# Converts the bundled example, has LibreCAD render it to PDF and then to PNG, and checks that
# the picture is not blank. Leaves the PNG in the given output folder for people to look at.
#   render_example.sh BATCH EXAMPLE.frt OUTDIR [CONVERTER OPTION...]
set -euo pipefail
batch=$1 example=$2 out=$3
mkdir -p "$out"
"$batch" -q --label point-id "${@:4}" -o "$out/site.dxf" "$example"
export XDG_RUNTIME_DIR=$(mktemp -d) QT_QPA_PLATFORM=offscreen
# LibreCAD hangs on a file without EOF: never run it unbounded.
timeout 60 librecad dxf2pdf -a -t "$out" "$out/site.dxf" >/dev/null 2>&1
test -s "$out/site.pdf"
pdftoppm -png -r 100 -singlefile "$out/site.pdf" "$out/site"
pdftoppm -gray -r 50 -singlefile "$out/site.pdf" "$out/site-gray"
dark=$(/usr/bin/python3 "$(dirname "$0")/count_ink.py" "$out/site-gray.pgm")
echo "dark pixels: $dark; picture: $out/site.png"
test "$dark" -gt 500

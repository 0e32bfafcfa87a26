#!/usr/bin/env bash
# Remakes the pictures of the README under docs/images/: the dialog on Linux (Qt, Xvfb) and on
# Windows (the Win32 build under Wine), the example drawing as LibreCAD renders it, and the
# batch converter's own preview of it. Needs both builds: bash scripts/setup.sh and the Windows
# build of scripts/windows.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
out=docs/images
work=build/images
rm -rf "$work" && mkdir -p "$work" "$out"
# Only the dialog, without the screen around it.
trimmed() { convert "$1" -trim +repage "$2"; }

bash scripts/screenshot-dialog.sh build/app/desktop/frt2dxf "$work/linux" >/dev/null
trimmed "$work/linux/dialog.png" "$out/dialog-linux.png"

bash tests/windows/desktop.sh build-windows/app/win32/frt2dxf.exe build/batch/frt2dxf-batch examples/site.frt \
  "$work/windows" >/dev/null
trimmed "$work/windows/dialog.png" "$out/dialog-windows.png"

# At the default symbol size the labels are 0.15 m high on a plot of 90 m: too small to read here.
bash tests/readers/render_example.sh build/batch/frt2dxf-batch examples/site.frt "$work/librecad" \
  --symbol-size 1000 --label height >/dev/null
trimmed "$work/librecad/site.png" "$out/example-librecad.png"

build/batch/frt2dxf-batch -q --label point-id --label height --preview "$work/site.svg" --preview-labels \
  -o "$work/site.dxf" examples/site.frt
rsvg-convert -w 800 -b white -o "$out/example-preview.png" "$work/site.svg"

# The parcels with hatches, area labels and line names, at a size where the labels can be read.
parcels=(--hatch --hatch-spacing 1.2 --symbol-size 500 --label area --label line-name)
bash tests/readers/render_example.sh build/batch/frt2dxf-batch examples/parcels.frt "$work/parcels" \
  "${parcels[@]}" >/dev/null
trimmed "$work/parcels/site.png" "$out/parcels-librecad.png"
build/batch/frt2dxf-batch -q --label point-id "${parcels[@]}" --preview "$work/parcels.svg" --preview-labels \
  -o "$work/parcels.dxf" examples/parcels.frt
rsvg-convert -w 800 -b white -o "$out/parcels-preview.png" "$work/parcels.svg"
ls -l "$out"

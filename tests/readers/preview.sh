#!/usr/bin/env bash
# frt2dxf-batch --preview: the picture is well-formed SVG whose elements follow the drawing's
# entities, rsvg-convert renders it with ink where the drawing is, a large drawing is thinned
# to at most 200000 elements, and one and many threads draw the same picture.
#   preview.sh BATCH EXAMPLE.frt WORKDIR
set -euo pipefail
batch=$1 example=$2 work=$3
here=$(dirname "$0")
source "$(dirname "$0")/../../scripts/lib.sh"
rm -rf "$work" && mkdir -p "$work"
cp "$example" "$work/site.frt"

"$batch" -q --label point-id --label height --preview "$work/plain.svg" -o "$work/site.dxf" "$work/site.frt"
/usr/bin/python3 "$here/check_preview.py" "$work/site.dxf" "$work/plain.svg" 0 || fail "the picture without labels"
"$batch" -q --label point-id --label height --preview "$work/labels.svg" --preview-labels -o "$work/site.dxf" \
  "$work/site.frt"
/usr/bin/python3 "$here/check_preview.py" "$work/site.dxf" "$work/labels.svg" 1 || fail "the picture with labels"

# The caption names the survey, wherever the drawing goes.
"$batch" -q --preview "$work/null.svg" -o /dev/null "$work/site.frt"
grep -q '>site.frt: E ' "$work/null.svg" || fail "the caption does not name the input"

# Labels with markup characters, a Windows-1252 code and a UTF-8 one stay well-formed text, shown
# as the drawing's readers show them: a file that is not UTF-8 throughout is read as Windows-1252.
printf '[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=<a&b>;E=1;N=2;HO=3;CODE=M\344rker\r\nPID=2;E=3;N=4;HO=5;CODE=Gr\303\274n\r\n' \
  > "$work/texts.frt"
"$batch" -q --label point-id --label code --preview "$work/texts.svg" --preview-labels -o "$work/texts.dxf" \
  "$work/texts.frt"
/usr/bin/python3 - "$work/texts.svg" <<'PY' || fail "the labels' texts in the picture"
import sys
import xml.etree.ElementTree as ET
root = ET.parse(sys.argv[1]).getroot()
elements = list(root.iter("{http://www.w3.org/2000/svg}text"))
texts = [t.text for t in elements]
missing = [t for t in ("<a&b>", "Märker", "GrÃ¼n") if t not in texts]
print("texts:", texts[:-2])
# No label runs off the picture's sides (by the same rough width the picture goes by).
width = float(root.get("width"))
outside = []
for t in elements:
    extent = 0.6 * float(t.get("font-size")) * len(t.text)
    left = float(t.get("x")) - (extent if t.get("text-anchor") == "end" else 0)
    if extent <= width and (left < 0 or left + extent > width):
        outside.append(t.text)
print("outside:", outside)
sys.exit(1 if missing or outside else 0)
PY

# Rendered, the picture has ink; the lower right corner of the example's drawing has its longest
# line, the upper left quarter its crossing lines: both must be drawn there.
rsvg-convert -f pdf -o "$work/plain.pdf" "$work/plain.svg"
pdftoppm -gray -r 72 -singlefile "$work/plain.pdf" "$work/plain"
read -r total right upper <<<"$(/usr/bin/python3 "$here/count_ink.py" "$work/plain.pgm" 0,0,1,1 0.9,0.5,1,0.95 \
                                  0,0,0.6,0.25 | tr '\n' ' ')"
echo "$total inked pixels, $right on the right, $upper upper left"
((total > 500 && right > 20 && upper > 20)) || fail "the rendered picture has too little ink where the drawing is"

# A drawing of 250000 points is thinned, and threads change nothing.
/usr/bin/python3 - "$work/many.frt" <<'PY'
import sys
with open(sys.argv[1], "w") as out:
    out.write("[Header]\nFormat=Rev2Ezi;Version=1.0\n[Points]\n")
    for i in range(250000):
        out.write(f"PID={i};E={2600000 + (i % 500) * 0.7:.3f};N={1200000 + (i // 500) * 0.7:.3f};HO=400;GROUP=G{i % 7}\n")
PY
"$batch" -q -j 1 --no-symbols --preview "$work/many-1.svg" -o "$work/many.dxf" "$work/many.frt"
"$batch" -q -j 4 --no-symbols --preview "$work/many-4.svg" -o "$work/many.dxf" "$work/many.frt"
cmp "$work/many-1.svg" "$work/many-4.svg" || fail "one and four threads drew different pictures"
/usr/bin/python3 "$here/check_preview.py" "$work/many.dxf" "$work/many-1.svg" 0 || fail "the thinned picture"
grep -q "thinned to one in 2" "$work/many-1.svg" || fail "the picture does not say it was thinned"

# Thinned, every kind of element is still there: one point, then lines of three vertices, whose
# vertex symbols come in step with the lines.
/usr/bin/python3 - "$work/lines.frt" <<'PY'
import sys
with open(sys.argv[1], "w") as out:
    out.write("[Header]\nFormat=Rev2Ezi;Version=1.0\n[Points]\nPID=0;E=0;N=0;HO=0\n[Lines]\n")
    for i in range(60000):
        for v in range(3):
            out.write(f"LID={i};E={i % 300 + v:.1f};N={i // 300:.1f};HO=0\n")
PY
"$batch" -q --preview "$work/lines.svg" -o "$work/lines.dxf" "$work/lines.frt"
grep -q "thinned to one in 2" "$work/lines.svg" || fail "the lines' picture was not thinned"
(($(grep -c "^<polyline" "$work/lines.svg") > 20000)) || fail "thinning left out the lines"
(($(grep -c "^<circle" "$work/lines.svg") > 20000)) || fail "thinning left out the vertices"
echo "preview: well-formed, rendered with ink, thinned, the same on one and four threads"

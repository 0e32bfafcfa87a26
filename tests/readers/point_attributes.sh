#!/usr/bin/env bash
# frt2dxf-batch --point-attributes: every point's INSERT carries its values (read back with
# ezdxf against the survey), GDAL and LibreCAD open the drawing, one and many threads write the
# same bytes, and without symbols the option changes nothing.
#   point_attributes.sh BATCH EXAMPLE.frt WORKDIR
set -euo pipefail
batch=$1 example=$2 work=$3
here=$(dirname "$0")
source "$(dirname "$0")/../../scripts/lib.sh"
rm -rf "$work" && mkdir -p "$work"

# The example's records many times over, with heights in HE and odd texts, so that the file is
# cut into chunks and every kind of value comes up.
/usr/bin/python3 - "$example" "$work/many.frt" <<'PY'
import sys
lines = open(sys.argv[1], encoding="latin-1").read().splitlines()
out = []
for copy in range(60):
    for line in lines:
        if line.startswith("PID="):
            line = line.replace("PID=", f"PID={copy}-", 1)
            if copy % 7 == 3:
                line = line.replace("HO=", "HE=", 1) + ";HO=-9999.99"
            if copy % 11 == 5:
                line += ";CODE=a^b c;PCLASS=NAV"
        out.append(line)
open(sys.argv[2], "w", encoding="latin-1").write("\r\n".join(out) + "\r\n")
PY
ls -l "$work/many.frt" | awk '{ print "survey of", $5, "bytes" }'

for input in "$example" "$work/many.frt"; do
  name=$(basename "$input" .frt)
  "$batch" -q -j 1 --point-attributes --decimals-h 2 -o "$work/$name-1.dxf" "$input"
  "$batch" -q -j 4 --point-attributes --decimals-h 2 -o "$work/$name-4.dxf" "$input"
  cmp "$work/$name-1.dxf" "$work/$name-4.dxf" || fail "$name: one and four threads differ"
  /usr/bin/python3 "$here/check_attributes.py" "$input" "$work/$name-1.dxf" 2 || fail "$name: attributes"
  errors=$(ogrinfo -ro -al -so "$work/$name-1.dxf" 2>&1 >/dev/null) || fail "$name: ogrinfo failed: $errors"
  [[ -z $errors ]] || fail "$name: ogrinfo: $errors"
  "$batch" -q --no-symbols -o "$work/$name-plain.dxf" "$input"
  "$batch" -q --no-symbols --point-attributes -o "$work/$name-plain-attributes.dxf" "$input"
  cmp "$work/$name-plain.dxf" "$work/$name-plain-attributes.dxf" || fail "$name: without symbols the option changed the drawing"
done

export XDG_RUNTIME_DIR=$(mktemp -d) QT_QPA_PLATFORM=offscreen
timeout 60 librecad dxf2pdf -a -t "$work" "$work/site-1.dxf" >/dev/null 2>&1
[[ -s $work/site-1.pdf ]] || fail "LibreCAD did not render the drawing"
echo "point attributes: checked with ezdxf, ogrinfo and LibreCAD"

#!/usr/bin/env bash
# The Windows batch converter under Wine must write byte for byte the drawing the Linux build
# writes, and the same preview picture: on the example and on generated files, with several
# option sets.
#   compare-batch.sh LINUX_BATCH WINDOWS_BATCH_EXE EXAMPLE.frt WORKDIR
set -euo pipefail
linux=$1 windows=$2 example=$3 work=$4
wine=${WINE:-/usr/lib/wine/wine64}
rm -rf "$work" && mkdir -p "$work"
cp "$example" "$work/example.frt"

# Generated inputs: many points, lines and areas with odd but legal values, fixed seeds.
python3 - "$work" <<'PY'
import random, sys
work = sys.argv[1]
for seed in range(3):
    r = random.Random(seed)
    out = ["[Header]", "Format=Rev2Ezi;Version=1.0", "[Points]"]
    groups = ["TREE", "UTIL POLE", "FIX", "Ä-Gruppe", "SPOT"]
    for i in range(300):
        out.append("PID=%d;E=%.3f;N=%.3f;HO=%s;GROUP=%s;CODE=C%d;PCLASS=%s" % (
            i, 2500000 + r.uniform(-5000, 5000), 1200000 + r.uniform(-5000, 5000),
            r.choice(["%.3f" % r.uniform(300, 500), "-9999.99;HE=%.2f" % r.uniform(300, 500), "x"]),
            r.choice(groups), r.randint(0, 9), r.choice(["MEAS", "MEAN", "CTRL", "NAV", "EST", "?"])))
    for section in ("[Lines]", "[Areas]"):
        out.append(section)
        for l in range(40):
            style = r.choice(["0 Solid", "1 Dash", "2 Dot", "3 DashDot", "4 DashDotDot", "bogus"])
            for v in range(r.randint(1, 6)):
                extra = ";LSTYLE=%s;LCOLOR=%06x;LWIDTH=%.2f;AREA=%.1f;SSTYLE=2 FDiagonal" % (
                    style, r.randrange(1 << 24), r.uniform(0, 1), r.uniform(0, 999)) if v == 0 else ""
                out.append("LID=L%d;E=%.3f;N=%.3f;HO=%.2f;GROUP=%s;CODE=K%s" % (
                    l, 2500000 + r.uniform(-5000, 5000), 1200000 + r.uniform(-5000, 5000),
                    r.uniform(300, 500), r.choice(groups), extra))
    with open("%s/generated%d.frt" % (work, seed), "w", newline="\r\n") as f:
        f.write("\n".join(out) + "\n")
PY

option_sets=(
  ""
  "--2d --separate-lines --no-symbols"
  "--label point-id --label east-north --label height --label code --decimals-en 2 --decimals-h 0"
  "--single-layer --symbol-size 250 --label code --label-layer code=Codes --label-colour code=6"
  "--no-points --2d"
  "--point-attributes --label height --decimals-h 1"
)
count=0
for input in "$work"/*.frt; do
  for i in "${!option_sets[@]}"; do
    read -ra options <<<"${option_sets[$i]}"
    name=$(basename "$input" .frt)-$i
    "$linux" -q "${options[@]}" -o "$work/$name.linux.dxf" "$input" 2>/dev/null
    "$wine" "$windows" -q "${options[@]}" -o "$work/$name.windows.dxf" "$input" 2>/dev/null
    cmp "$work/$name.linux.dxf" "$work/$name.windows.dxf" || { echo "differs: $name"; exit 1; }
    count=$((count + 1))
  done
done
# The preview is drawn the same way too (the drawings of the same name: the picture names it).
mkdir -p "$work/linux" "$work/windows"
for input in "$work"/*.frt; do
  name=$(basename "$input" .frt)
  "$linux" -q --label point-id --preview "$work/linux/$name.svg" --preview-labels -o "$work/linux/$name.dxf" "$input" \
    2>/dev/null
  "$wine" "$windows" -q --label point-id --preview "$work/windows/$name.svg" --preview-labels \
    -o "$work/windows/$name.dxf" "$input" 2>/dev/null
  cmp "$work/linux/$name.svg" "$work/windows/$name.svg" || { echo "the pictures differ: $name"; exit 1; }
  count=$((count + 1))
done
echo "$count drawings and pictures: the Windows batch converter wrote each byte for byte as the Linux one"

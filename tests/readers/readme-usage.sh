#!/usr/bin/env bash
# Runs every command of the README's Usage section, as written there, on the example survey: each
# must succeed and make what the README says it makes.
#   readme-usage.sh BATCH README.md EXAMPLE.frt WORKDIR
set -euo pipefail
batch=$1 readme=$2 example=$3 work=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
rm -rf "$work" && mkdir -p "$work/surveys/2026" "$work/drawings" "$work/config/Halvora/QVO/PLVX"
cp "$example" "$work/site.frt"
cp "$example" "$work/surveys/north.frt"
cp "$example" "$work/surveys/2026/south.frt"
printf '[Dxf_Export]\nLabelHeight=1\n' > "$work/config/Halvora/QVO/PLVX/frt2dxf.ini"
# The commands: the indented lines of the Usage section that start the batch converter.
mapfile -t commands < <(awk '/^## Usage/ { on = 1; next } /^##/ { on = 0 } on && /^    frt2dxf-batch / { sub(/^    /, ""); print }' "$readme")
[[ ${#commands[@]} -eq 8 ]] || fail "the Usage section has ${#commands[@]} commands, not 8"
for command in "${commands[@]}"; do
  status=0
  (cd "$work" && XDG_CONFIG_HOME="$work/config" PATH="$(dirname "$batch"):$PATH" bash -c "$command") \
    > "$work/out.txt" 2>&1 || status=$?
  [[ $status -eq 0 ]] || { cat "$work/out.txt" >&2; fail "'$command' exits with $status"; }
  echo "ok: $command"
done
for made in site.dxf drawings/north.dxf drawings/south.dxf run.json; do
  [[ -s $work/$made ]] || fail "the commands made no $made"
done
grep -q EOF "$work/site.dxf" || fail "site.dxf is no whole drawing"

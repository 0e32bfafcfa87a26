#!/usr/bin/env bash
# Runs every command of the README's Usage section, as written there, on the example survey: each
# must succeed and make what the README says it makes.
#   readme-usage.sh BATCH README.md EXAMPLE.frt WORKDIR
set -euo pipefail
batch=$1 readme=$2 example=$3 work=$4
fail() { echo "FAIL: $*" >&2; exit 1; }
# A folder holding only the surveys, as a user has it: no output folder made beforehand, and one
# name a host program writes in two jobs' folders.
config=$work-config
rm -rf "$work" "$config" && mkdir -p "$work/surveys/2025/job1" "$work/surveys/2026/job2" "$config/Halvora/QVO/PLVX"
cp "$example" "$work/site.frt"
cp "$example" "$work/surveys/north.frt"
cp "$example" "$work/surveys/2025/job1/EXPORT.frt"
cp "$example" "$work/surveys/2026/job2/EXPORT.frt"
printf '[Dxf_Export]\nLabelHeight=1\n' > "$config/Halvora/QVO/PLVX/frt2dxf.ini"
# The commands: the indented lines of the Usage section that start the batch converter.
mapfile -t commands < <(awk '/^## Usage/ { on = 1; next } /^##/ { on = 0 } on && /^    frt2dxf-batch / { sub(/^    /, ""); print }' "$readme")
[[ ${#commands[@]} -eq 9 ]] || fail "the Usage section has ${#commands[@]} commands, not 9"
for command in "${commands[@]}"; do
  status=0
  (cd "$work" && XDG_CONFIG_HOME="$config" PATH="$(dirname "$batch"):$PATH" bash -c "$command") \
    > "$work/out.txt" 2>&1 || status=$?
  [[ $status -eq 0 ]] || { cat "$work/out.txt" >&2; fail "'$command' exits with $status"; }
  echo "ok: $command"
done
for made in site.dxf drawings/north.dxf drawings/2025/job1/EXPORT.dxf drawings/2026/job2/EXPORT.dxf run.json; do
  [[ -s $work/$made ]] || fail "the commands made no $made"
done
grep -q EOF "$work/site.dxf" || fail "site.dxf is no whole drawing"

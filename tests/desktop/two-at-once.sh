#!/usr/bin/env bash
# Two frt2dxf processes at once under Xvfb, on different files: OK in each dialog must turn
# each file into the drawing of its own content, and no temporary copy may stay behind.
#   two-at-once.sh PROGRAM EXAMPLE.frt OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 out=$3
  # Waits until COUNT dialogs are shown; false after 30 s.
  dialogs() {
    for _ in $(seq 300); do
      mapfile -t windows < <(xdotool search --onlyvisible --name "DXF Export" 2>/dev/null || true)
      ((${#windows[@]} >= $1)) && return 0
      sleep 0.1
    done
    return 1
  }
  # The second starts once the first shows its dialog: two clients connecting at the very same
  # moment to a server that has just started were sometimes refused, a fault of the test's X
  # server, not of the program. Both dialogs are still open at once.
  "$program" "$out/a.frt" & a=$!
  dialogs 1 || { echo "the first dialog did not appear" >&2; kill $a; exit 1; }
  "$program" "$out/b.frt" & b=$!
  dialogs 2 || { echo "two dialogs did not appear" >&2; kill $a $b; exit 1; }
  sleep 0.5
  status=0
  for pid in $a $b; do
    if ! press_ok_until_exit "$pid" 30; then kill "$pid"; echo "frt2dxf did not finish after OK" >&2; status=1; fi
    wait "$pid" || status=1
  done
  exit $status
fi
program=$1 example=$2 out=$3
rm -rf "$out" && mkdir -p "$out/tmp"
cp "$example" "$out/a.frt"
printf '[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=9;E=1;N=2;HO=3;GROUP=ONLYB;CODE=X\r\n' > "$out/b.frt"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out"

for f in a b; do
  text=$(tr -d '\r' < "$out/$f.frt")
  [[ $text == "  0"$'\n'"SECTION"* && $text == *$'\n'"EOF" ]] || fail "$f.frt is not a complete drawing"
done
grep -qx "FIX" <(tr -d '\r' < "$out/a.frt") || fail "a.frt lacks its own layer FIX"
grep -qx "ONLYB" <(tr -d '\r' < "$out/a.frt") && fail "a.frt holds b's layer"
grep -qx "ONLYB" <(tr -d '\r' < "$out/b.frt") || fail "b.frt lacks its own layer ONLYB"
grep -qx "FIX" <(tr -d '\r' < "$out/b.frt") && fail "b.frt holds a's layer"
[[ -z $(ls -A "$out/tmp") ]] || fail "temporary files left: $(ls -A "$out/tmp")"
echo "both dialogs converted their own file"

#!/usr/bin/env bash
# A file that cannot be opened: the "Error" box names it, and once it is closed the program ends
# with a failure status (the host reads only the file; a person or a script reads the status).
#   missing-file.sh PROGRAM OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 work=$3
  "$program" "$work/missing.frt" > "$work/said" 2>&1 & pid=$!
  for _ in $(seq 300); do
    kill -0 $pid 2>/dev/null || break
    for box in $(xdotool search --onlyvisible --name "^Error$" 2>/dev/null); do
      touch "$work/box-shown"
      xdotool key --window "$box" Escape 2>/dev/null || true
    done
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null && { kill $pid; fail "frt2dxf did not end after the error box"; }
  status=0
  wait $pid || status=$?
  echo "$status" > "$work/status"
  exit 0
fi
program=$1 out=$2
rm -rf "$out" && mkdir -p "$out/tmp" "$out/runtime" && chmod 700 "$out/runtime"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out"
[[ -e $out/box-shown ]] || fail "no error box for a file that is not there"
[[ $(cat "$out/status") == 1 ]] || fail "the program ended with status $(cat "$out/status"), not 1"
echo "a file that is not there: the error box, then status 1"

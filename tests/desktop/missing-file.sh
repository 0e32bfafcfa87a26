#!/usr/bin/env bash
# A file that cannot be opened: the "Error" box names it, and once it is closed the program ends
# with a failure status (the host reads only the file; a person or a script reads the status).
# The menu entry's own command, which names no file, asks for one. Without a display, and with an
# unknown option, the program says so with status 2 and touches nothing.
#   missing-file.sh PROGRAM OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 work=$3
  # Closes each box named NAME the program shows (noting it in WORK/NAME-shown) until it ends.
  run() {
    "$@" > "$work/said" 2>&1 & pid=$!
    for _ in $(seq 300); do
      kill -0 $pid 2>/dev/null || break
      for name in Error Open; do
        for box in $(xdotool search --onlyvisible --name "^$name$" 2>/dev/null); do
          touch "$work/$name-shown"
          # A box may be gone between the search and the key; the verdict is the status and the notes.
          xdotool key --window "$box" Escape 2>/dev/null || true
        done
      done
      sleep 0.1
    done
    kill -0 $pid 2>/dev/null && { kill $pid; fail "frt2dxf did not end after its boxes: $*"; }
    status=0
    wait $pid || status=$?
    echo "$status" > "$work/status"
  }
  run "$program" "$work/missing.frt"
  # The first run's results apart; a box it did not show is missing there too.
  mkdir "$work/missing"
  mv "$work/status" "$work/missing/"
  if [[ -e $work/Error-shown ]]; then mv "$work/Error-shown" "$work/missing/"; fi
  # The menu entry's command as a menu starts it: without a file for %f.
  exec_line=$(sed -n 's/^Exec=//p' "$(dirname "$0")/../../packaging/linux/frt2dxf.desktop")
  read -ra command <<< "${exec_line//%f/}"
  run "$program" "${command[@]:1}"
  exit 0
fi
program=$1 out=$2
rm -rf "$out" && mkdir -p "$out/tmp" "$out/runtime" && chmod 700 "$out/runtime"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out"
[[ -e $out/missing/Error-shown ]] || fail "no error box for a file that is not there"
[[ $(cat "$out/missing/status") == 1 ]] || fail "the program ended with status $(cat "$out/missing/status"), not 1"
echo "a file that is not there: the error box, then status 1"
[[ -e $out/Open-shown ]] || fail "the menu entry's command did not ask for a file: $(cat "$out/said")"
echo "the menu entry's command asks for a file"

cp "$(dirname "$0")/../../examples/site.frt" "$out/site.frt"
before=$(md5sum < "$out/site.frt")
for display in "" :99; do
  status=0
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM ${display:+DISPLAY=$display} "$program" "$out/site.frt" \
    2> "$out/said" || status=$?
  ((status == 2)) || fail "without a display ($display): status $status, not 2"
  grep -q '^frt2dxf: no display was found' "$out/said" || fail "without a display: $(cat "$out/said")"
  grep -q 'frt2dxf-batch converts without one' "$out/said" || fail "the batch tool is not named"
  [[ $(md5sum < "$out/site.frt") == "$before" ]] || fail "without a display the survey was changed"
done
echo "without a display: said, status 2, the survey as it was"
status=0
"$program" --bogus 2> "$out/said" || status=$?
((status == 2)) && grep -q '^Usage: frt2dxf' "$out/said" || fail "--bogus: status $status, $(cat "$out/said")"
echo "an unknown option: the usage, status 2"

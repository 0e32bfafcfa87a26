#!/usr/bin/env bash
# A stop while frt2dxf writes the drawing into its input in place (the input has a second hard
# link): after SIGINT, SIGTERM or SIGHUP sent the moment the input begins to change, the input and
# its link hold the whole drawing, the process died of that signal, and no temporary file is left.
#   stop-during-copy.sh PROGRAM BATCH OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 input=$3 signal=$4
  "$program" "$input" & pid=$!
  wait_for_dialog || fail "no dialog appeared"
  # A tight watch, which sends the signal itself: the shell's stat is too slow to see a copy of
  # some tens of MB begin.
  python3 -c '
import os, signal, sys, time
path, pid, name = sys.argv[1], int(sys.argv[2]), sys.argv[3]
def look():
    s = os.stat(path)
    return (s.st_size, s.st_ctime_ns)
before = look()
open(path + ".watching", "w").close()
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    if look() != before:
        os.kill(pid, getattr(signal, "SIG" + name))
        print(1); sys.exit()
    try: os.kill(pid, 0)
    except ProcessLookupError: break
print(0)' "$input" "$pid" "$signal" > "$input.caught" &
  watcher=$!
  # OK only once the watcher knows the input as it was: on a busy machine its start may take
  # longer than the whole conversion.
  for _ in $(seq 300); do
    [[ -e $input.watching ]] && break
    sleep 0.1
  done
  rm -f "$input.watching"
  sleep 0.5
  press_ok_until_exit "$watcher" 70 || true
  wait "$watcher" || true
  caught=$(cat "$input.caught")
  rm -f "$input.caught"
  status=0
  wait "$pid" || status=$?
  ((caught)) || { echo "the copy into the input was not seen to begin" >&2; exit 1; }
  # On a busy machine the signal may come only after the program has ended: that round says
  # nothing about the copy, and is run again.
  ((status == 0)) && exit 75
  expected=$((128 + $(kill -l "$signal")))
  ((status == expected)) || { echo "exit status $status, expected death by $signal ($expected)" >&2; exit 1; }
  exit 0
fi

program=$1 batch=$2 out=$3
rm -rf "$out" && mkdir -p "$out"
large_survey > "$out/survey.frt"
"$batch" -q -o "$out/expected.dxf" "$out/survey.frt"

for signal in INT TERM HUP; do
  work="$out/$signal"
  for round in 1 2 3 4 5; do
    rm -rf "$work" && mkdir -p "$work/tmp" "$work/runtime" && chmod 700 "$work/runtime"
    cp "$out/survey.frt" "$work/site.frt"
    ln "$work/site.frt" "$work/link.frt"
    status=0
    XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" \
      timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$work/site.frt" "$signal" ||
      status=$?
    ((status == 75)) || break
  done
  ((status == 0)) || fail "SIG$signal: the run went wrong"
  cmp -s "$out/expected.dxf" "$work/site.frt" || fail "SIG$signal: the input does not hold the whole drawing"
  cmp -s "$work/site.frt" "$work/link.frt" || fail "SIG$signal: the link differs from the input"
  [[ -z $(ls -A "$work/tmp") ]] || fail "SIG$signal: temporary files left: $(ls -A "$work/tmp")"
  [[ $(ls "$work" | tr '\n' ' ') == "config link.frt runtime site.frt tmp " || $(ls "$work" | tr '\n' ' ') == "link.frt runtime site.frt tmp " ]] ||
    fail "SIG$signal: unexpected files: $(ls "$work")"
done
echo "each stop waited for the copy into the input"

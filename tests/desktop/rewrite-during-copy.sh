#!/usr/bin/env bash
# The host rewrites the input while frt2dxf copies the drawing into it in place (the input has a
# second hard link), taking no lock, as programs that know nothing of locks do. The dialog must
# not close as done: it says that another program wrote meanwhile, and the whole drawing is kept
# beside the input under a name a user sees; the Cancel that follows leaves the input alone.
#   rewrite-during-copy.sh PROGRAM BATCH OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 input=$3 rewrite=$4
  "$program" "$input" & pid=$!
  wait_for_dialog || fail "no dialog appeared"
  # Once the input begins to change, the new survey is written over it for half a second.
  python3 -c '
import os, sys, time
path, new = sys.argv[1], open(sys.argv[2], "rb").read()
def look():
    s = os.stat(path)
    return (s.st_size, s.st_ctime_ns)
before = look()
open(path + ".watching", "w").close()
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    if look() != before:
        end = time.monotonic() + 0.5
        fd = os.open(path, os.O_WRONLY)
        while time.monotonic() < end:
            os.pwrite(fd, new, 0)
        os.close(fd)
        print(1); sys.exit()
print(0)' "$input" "$rewrite" > "$input.rewritten" &
  watcher=$!
  for _ in $(seq 300); do
    [[ -e $input.watching ]] && break
    sleep 0.1
  done
  rm -f "$input.watching"
  sleep 0.5
  press_ok
  # The error box comes up over the dialog: Escape closes it, and then cancels the dialog.
  for i in $(seq 900); do
    kill -0 $pid 2>/dev/null || break
    if ((i % 10 == 1)); then
      escape_error_box "$input.box-shown"
      # The first OK was lost when nothing began in 15 s (another OK queued up would convert again).
      if ((i == 151)) && [[ ! -e $input.box-shown ]] && kill -0 "$watcher" 2>/dev/null; then
        press_ok
      fi
    fi
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null && { kill $pid; fail "frt2dxf did not end"; }
  wait $pid || true
  wait "$watcher" || true
  rewritten=$(cat "$input.rewritten")
  rm -f "$input.rewritten"
  ((rewritten)) || { echo "the copy into the input was not seen to begin" >&2; exit 1; }
  # The copy was done, and read back, before the rewrite came: that round says nothing.
  [[ -e $input.box-shown ]] || exit 75
  exit 0
fi

program=$1 batch=$2 out=$3
rm -rf "$out" && mkdir -p "$out"
large_survey > "$out/survey.frt"
printf '[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\nPID=1;E=1;N=2;HO=3\r\n' > "$out/new.frt"
"$batch" -q -o "$out/expected.dxf" "$out/survey.frt"
work="$out/work"
for round in 1 2 3 4 5; do
  rm -rf "$work" && mkdir -p "$work/tmp" "$work/runtime" && chmod 700 "$work/runtime"
  cp "$out/survey.frt" "$work/site.frt"
  ln "$work/site.frt" "$work/link.frt"
  status=0
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" \
    timeout 150 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$work/site.frt" \
    "$out/new.frt" || status=$?
  ((status == 75)) || break
  echo "round $round: the copy was done before the rewrite; again"
done
((status == 0)) || fail "the dialog closed as done although another program wrote into the input"
[[ -f $work/site.dxf ]] || fail "no complete drawing kept beside the input as site.dxf: $(ls -A "$work")"
[[ -z $(find "$work" -maxdepth 1 -name '.site.frt.*.tmp') ]] || fail "a hidden drawing was left: $(ls -A "$work")"
cmp -s "$out/expected.dxf" "$work/site.dxf" || fail "the drawing kept beside the input is not the whole drawing"
# Cancel came after the error: the input holds the other program's writing and must stay.
[[ -f $work/site.frt ]] || fail "Cancel deleted the input that another program wrote into"
echo "the rewrite during the copy was noticed, the whole drawing kept as site.dxf, and the input kept"

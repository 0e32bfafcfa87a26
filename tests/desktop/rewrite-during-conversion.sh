#!/usr/bin/env bash
# The host rewrites the input after OK was pressed, while frt2dxf is converting its copy: the
# drawing that then goes over the input is the drawing of the new content, never of the old.
#   rewrite-during-conversion.sh PROGRAM BATCH OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 input=$3 rewrite=$4
  "$program" "$input" & pid=$!
  wait_for_dialog || fail "no dialog appeared"
  # The drawing's temporary file beside the input (unnamed until the commit: "FOLDER/#INODE")
  # shows that the first conversion is writing; the input is rewritten in place then, as the
  # host software would.
  python3 -c '
import os, sys, time
path, new, pid = sys.argv[1], sys.argv[2], sys.argv[3]
folder, name = os.path.split(path)
def writing():
    fds = "/proc/" + pid + "/fd"
    for fd in os.listdir(fds):
        try:
            target = os.readlink(os.path.join(fds, fd))
        except OSError:
            continue
        if target.startswith(folder + "/#") or target.startswith(os.path.join(folder, "." + name + ".")):
            return True
    return False
open(path + ".watching", "w").close()
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    if writing():
        with open(new, "rb") as src, open(path, "r+b") as dst:
            dst.write(src.read()); dst.truncate()
        print(1); sys.exit()
    time.sleep(0.001)
print(0)' "$input" "$rewrite" "$pid" > "$input.rewritten" &
  watcher=$!
  for _ in $(seq 300); do
    [[ -e $input.watching ]] && break
    sleep 0.1
  done
  rm -f "$input.watching"
  sleep 0.5
  press_ok_until_exit "$pid" 90 || true
  wait "$watcher" || true
  rewritten=$(cat "$input.rewritten")
  rm -f "$input.rewritten"
  status=0
  wait "$pid" || status=$?
  ((status == 0)) || { echo "exit status $status" >&2; exit 1; }
  # A conversion that ended before the watcher saw it write says nothing: run the round again.
  ((rewritten)) || exit 75
  exit 0
fi

program=$1 batch=$2 out=$3
rm -rf "$out" && mkdir -p "$out"
# Some 60 MB of drawing, so that the conversion takes a while; the rewrite is another survey.
survey() {
  awk -v n="$1" -v e="$2" 'BEGIN { printf "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
             for (i = 0; i < n; ++i)
               printf "PID=%d;E=%.3f;N=%.3f;HO=%.3f;GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n",
                      i, e + i % 9973, 1200000 + i % 7919, 430 + i % 97 }'
}
survey 600000 2600000 > "$out/old.frt"
survey 1000 2700000 > "$out/new.frt"
"$batch" -q -o "$out/old.dxf" "$out/old.frt"
"$batch" -q -o "$out/new.dxf" "$out/new.frt"

work="$out/work"
for round in 1 2 3 4 5; do
  rm -rf "$work" && mkdir -p "$work/tmp" "$work/runtime" && chmod 700 "$work/runtime"
  cp "$out/old.frt" "$work/site.frt"
  status=0
  XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" \
    timeout 150 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$work/site.frt" \
    "$out/new.frt" || status=$?
  # A rewrite that landed just after the drawing (the watcher saw its temporary file the moment
  # before the commit) leaves the new survey itself: that round says nothing either.
  ((status == 0)) && cmp -s "$out/new.frt" "$work/site.frt" && status=75
  ((status == 75)) || break
  echo "round $round: the conversion ended before the rewrite; again"
done
((status == 0)) || fail "the run went wrong"
cmp -s "$out/old.dxf" "$work/site.frt" && fail "the rewritten input was replaced by the drawing of its old content"
cmp -s "$out/new.dxf" "$work/site.frt" || fail "the input does not hold the drawing of its new content"
[[ -z $(ls -A "$work/tmp") ]] || fail "temporary files left: $(ls -A "$work/tmp")"
echo "the rewrite was converted and its drawing written"

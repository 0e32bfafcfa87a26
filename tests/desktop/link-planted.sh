#!/usr/bin/env bash
# While the dialog is open, the survey is moved away and a link to another file is planted at
# its path. OK must write through no link: the file it leads to and the moved survey both stay
# as they were, and the error box says why.
#   link-planted.sh PROGRAM EXAMPLE.frt OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 work=$3
  "$program" "$work/host.frt" > "$work/said" 2>&1 & pid=$!
  wait_for_dialog || { kill $pid; fail "no dialog appeared"; }
  mv "$work/host.frt" "$work/moved.frt"
  ln -s "$work/elsewhere/important.frt" "$work/host.frt"
  sleep 0.3
  press_ok
  # The error box comes up over the dialog: Escape closes it, and then cancels the dialog.
  for i in $(seq 300); do
    kill -0 $pid 2>/dev/null || break
    ((i % 10 == 1)) && escape_error_box "$work/box-shown"
    sleep 0.1
  done
  kill -0 $pid 2>/dev/null && { kill $pid; fail "frt2dxf did not end"; }
  wait $pid || true
  exit 0
fi
program=$1 example=$2 out=$3
rm -rf "$out" && mkdir -p "$out/tmp" "$out/runtime" "$out/elsewhere" && chmod 700 "$out/runtime"
cp "$example" "$out/host.frt"
cp "$example" "$out/elsewhere/important.frt"
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out"
[[ -e $out/box-shown ]] || fail "no error box was shown"
cmp -s "$example" "$out/elsewhere/important.frt" || fail "the file the planted link leads to was written"
cmp -s "$example" "$out/moved.frt" || fail "the moved survey was changed"
[[ -z $(ls -A "$out/tmp") ]] || fail "temporary files left: $(ls -A "$out/tmp")"
echo "no drawing went through the planted link; both files are as they were"

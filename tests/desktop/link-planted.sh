#!/usr/bin/env bash
# Links that would make a drawing replace a survey nobody chose, in each MODE:
#   symbolic, hard: while the dialog is open, the survey is moved away and a link (symbolic or hard)
#     to another file is planted at its path;
#   open-symbolic, open-hard: a file picked with --open whose drawing's path beside it is a link to it.
# OK must write through no link: every survey stays as it was, and the error box says why.
#   link-planted.sh PROGRAM EXAMPLE.frt OUTDIR [MODE]
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 work=$3 mode=$4
  case $mode in
    open-*) "$program" --open "$work/host.frt" > "$work/said" 2>&1 & pid=$! ;;
    *) "$program" "$work/host.frt" > "$work/said" 2>&1 & pid=$! ;;
  esac
  wait_for_dialog || { kill $pid; fail "no dialog appeared"; }
  case $mode in
    symbolic) mv "$work/host.frt" "$work/moved.frt"; ln -s "$work/elsewhere/important.frt" "$work/host.frt" ;;
    hard) mv "$work/host.frt" "$work/moved.frt"; ln "$work/elsewhere/important.frt" "$work/host.frt" ;;
  esac
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
program=$1 example=$2 out=$3 mode=${4:-symbolic}
rm -rf "$out" && mkdir -p "$out/tmp" "$out/runtime" "$out/elsewhere" && chmod 700 "$out/runtime"
cp "$example" "$out/host.frt"
cp "$example" "$out/elsewhere/important.frt"
case $mode in
  open-symbolic) ln -s host.frt "$out/host.dxf" ;;
  open-hard) ln "$out/host.frt" "$out/host.dxf" ;;
esac
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out" "$mode"
[[ -e $out/box-shown ]] || fail "no error box was shown"
cmp -s "$example" "$out/elsewhere/important.frt" || fail "the file the planted link leads to was written"
case $mode in
  open-*) cmp -s "$example" "$out/host.frt" || fail "the picked survey was changed through its drawing's link" ;;
  *) cmp -s "$example" "$out/moved.frt" || fail "the moved survey was changed" ;;
esac
[[ -z $(ls -A "$out/tmp") ]] || fail "temporary files left: $(ls -A "$out/tmp")"
echo "$mode: no drawing went through a link; every survey is as it was"

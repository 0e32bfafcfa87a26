#!/usr/bin/env bash
# A power cut right after a run that said it was done, on a loop-mounted XFS: xfs_io's shutdown
# drops everything that has not reached the disk, as a power cut would. The drawing must then be
# there whole, whether it was new, replaced an old file, or went over a file with two links in
# place, and after the desktop program's OK the survey's path must hold the whole drawing.
# Needs root, a loop device and xfsprogs; exits 77 (skipped) without them.
#   power-cut.sh BATCH DESKTOP EXAMPLE.frt OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 survey=$3
  "$program" "$survey" & pid=$!
  wait_for_dialog || { kill $pid; fail "the dialog did not appear"; }
  sleep 0.3
  press_ok_until_exit $pid 30 || { kill $pid; fail "frt2dxf did not finish after OK"; }
  wait $pid
  exit 0
fi
batch=$1 desktop=$2 example=$3 out=$4
skip() { echo "skipped: $*"; exit 77; }
[[ $(id -u) -eq 0 ]] || skip "a loop mount needs root"
command -v mkfs.xfs >/dev/null && command -v xfs_io >/dev/null || skip "no xfsprogs"
rm -rf "$out" && mkdir -p "$out/mnt" "$out/tmp"
truncate -s 300M "$out/xfs.img"
device=$(losetup -f --show "$out/xfs.img" 2>/dev/null) || skip "no loop device"
finish() {
  umount "$out/mnt" 2>/dev/null || true
  losetup -d "$device" 2>/dev/null || true
}
trap finish EXIT
mkfs.xfs -q -f "$device"
mount "$device" "$out/mnt" || skip "XFS cannot be mounted here"
mnt=$out/mnt

# The power cut, and the machine coming back.
cut_power() {
  xfs_io -x -c shutdown "$mnt"
  umount "$mnt"
  mount "$device" "$mnt"
}
expected=$out/expected.dxf
"$batch" -q -o "$expected" "$example"

"$batch" -q -o "$mnt/new.dxf" "$example"
cut_power
cmp -s "$mnt/new.dxf" "$expected" || fail "a new drawing was lost in the power cut"

printf 'old drawing\r\n' > "$mnt/old.dxf"
sync
"$batch" -q -o "$mnt/old.dxf" "$example"
cut_power
cmp -s "$mnt/old.dxf" "$expected" || fail "a replaced drawing was lost in the power cut"

# Two links: the drawing goes over the file in place.
head -c 200000 /dev/zero | tr '\0' 'x' > "$mnt/linked.dxf"
ln "$mnt/linked.dxf" "$mnt/second-link.dxf"
sync
"$batch" -q -o "$mnt/linked.dxf" "$example"
cut_power
cmp -s "$mnt/linked.dxf" "$expected" || fail "a drawing written in place was lost in the power cut"
cmp -s "$mnt/second-link.dxf" "$expected" || fail "the second link lost the drawing in the power cut"

# The desktop program writes the drawing over the survey: neither may be lost.
cp "$example" "$mnt/host.frt"
sync
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR="$out/runtime" TMPDIR="$out/tmp"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
timeout 120 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$desktop" "$mnt/host.frt"
cut_power
text=$(tr -d '\r' < "$mnt/host.frt")
[[ $text == "  0"$'\n'"SECTION"* && $text == *$'\n'"EOF" ]] ||
  fail "after OK and a power cut, host.frt is no whole drawing ($(stat -c %s "$mnt/host.frt") bytes)"
grep -qx "FIX" <<< "$text" || fail "host.frt is not the survey's drawing"
echo "every drawing survived the power cut"

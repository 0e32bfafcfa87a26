#!/usr/bin/env bash
# Two surveys whose drawings differ only in case, on exFAT through FUSE (a USB stick on Linux),
# one job at a time and two at once: the first drawing stays, the second is kept beside it as
# the message says, and the run fails. Needs root, a loop device, FUSE and exFAT's tools; exits
# 77 (skipped) without them.
#   case-insensitive.sh BATCH EXAMPLE.frt OUTDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
batch=$1 example=$2 out=$3
skip() { echo "skipped: $*"; exit 77; }
[[ $(id -u) -eq 0 ]] || skip "a loop mount needs root"
command -v mkfs.exfat >/dev/null && command -v mount.exfat-fuse >/dev/null || skip "no exFAT tools"
[[ -c /dev/fuse ]] || skip "no FUSE"
rm -rf "$out" && mkdir -p "$out/mnt" "$out/day1" "$out/day2"
truncate -s 32M "$out/exfat.img"
mkfs.exfat "$out/exfat.img" >/dev/null
device=$(losetup -f --show "$out/exfat.img" 2>/dev/null) || skip "no loop device"
# Cleanup only, on the way out: the verdict is given before it.
finish() {
  umount "$out/mnt" 2>/dev/null || true
  losetup -d "$device" 2>/dev/null || true
}
trap finish EXIT
mount.exfat-fuse "$device" "$out/mnt" || skip "exFAT cannot be mounted here"
cp "$example" "$out/day1/Site.frt"
sed 's/PID=100;/PID=999;/' "$example" > "$out/day2/SITE.frt"
stick=$out/mnt/STICK
for jobs in 1 2; do
  rm -rf "$stick" && mkdir "$stick"
  status=0
  "$batch" -q -j "$jobs" --label point-id "$out/day1/Site.frt" "$out/day2/SITE.frt" -t "$stick" 2> "$out/said" ||
    status=$?
  [[ $status -eq 1 ]] || fail "-j $jobs: exit $status, not 1: $(cat "$out/said")"
  grep -q "SITE.dxf: is also the drawing of .*Site.frt in this run .*kept as .*SITE (2).dxf" "$out/said" ||
    fail "-j $jobs: the clash was not said: $(cat "$out/said")"
  grep -qa $'\r\n100\r\n' "$stick/Site.dxf" || fail "-j $jobs: the first drawing was replaced"
  grep -qa $'\r\n999\r\n' "$stick/SITE (2).dxf" || fail "-j $jobs: the second drawing was not kept"
done
echo "one drawing per survey on a disk that ignores case; the clash was said"

#!/usr/bin/env bash
# A full disk while frt2dxf-batch.exe writes its drawing into a target in place (the target has a
# second hard link): the room is claimed before a byte of the target changes, so the target keeps
# its old content, the reason is told, and no temporary file stays. Needs a small file system of
# its own (a tmpfs, mounted as root); where that cannot be mounted the test says so and is skipped.
#   full-disk.sh FRT2DXF_BATCH_EXE LINUX_BATCH EXAMPLE.frt WORKDIR
set -euo pipefail
wine=${WINE:-/usr/lib/wine/wine64}
exe=$1 linux=$2 example=$3 work=$4
rm -rf "$work" && mkdir -p "$work/disk"
fail() { echo "FAIL: $*" >&2; umount "$work/disk" 2>/dev/null || true; exit 1; }

# An input whose drawing is a few hundred KiB.
cp "$example" "$work/big.frt"
for _ in $(seq 60); do tail -n +4 "$example" >> "$work/big.frt"; done
"$linux" -q -o "$work/expected.dxf" "$work/big.frt" 2>/dev/null
size=$(stat -c %s "$work/expected.dxf")
# Room for the input, the temporary drawing and half of it again: the copy into the target runs out.
room_kib=$(( ($(stat -c %s "$work/big.frt") + size + size / 2) / 1024 ))
if ! mount -t tmpfs -o "size=${room_kib}k" tmpfs "$work/disk" 2>/dev/null; then
  echo "SKIPPED: a small file system cannot be mounted here (needs root and mount rights)"
  exit 0
fi
cp "$work/big.frt" "$work/disk/big.frt"
printf 'old drawing\r\n' > "$work/disk/big.dxf"
ln "$work/disk/big.dxf" "$work/disk/link.dxf"
status=0
"$wine" "$exe" -q "$work/disk/big.frt" > "$work/out.txt" 2> "$work/err.txt" || status=$?
[[ $status -eq 1 ]] || fail "exit status $status, expected 1"
grep -Eq "big.dxf: (Disk full|There is not enough space on the disk)" "$work/err.txt" || fail "no reason told: $(cat "$work/err.txt")"
[[ $(cat "$work/disk/big.dxf") == $'old drawing\r' ]] || fail "the target lost its old content"
cmp -s "$work/disk/big.dxf" "$work/disk/link.dxf" || fail "the link differs from the target"
[[ $(ls -A "$work/disk" | tr '\n' ' ') == "big.dxf big.frt link.dxf " ]] || fail "files left: $(ls -A "$work/disk")"
umount "$work/disk"
echo "a full disk keeps the target's old content and says why"

#!/usr/bin/env bash
# frt2dxf-batch --report against the drawings it describes (read with ezdxf), for several option
# sets, a failed input, an input with more warnings than are printed, and a file name that is no
# UTF-8.
#   report.sh BATCH EXAMPLE.frt WORKDIR
set -euo pipefail
batch=$1 example=$2 work=$3
here=$(dirname "$0")
rm -rf "$work" && mkdir -p "$work"
cp "$example" "$work/site.frt"
# A file name in another encoding than UTF-8: the report must still name that very file.
cp "$example" "$work/$(printf 's\xffte.frt')"
printf 'no survey\n' > "$work/bad.frt"
# 25 points without an easting: a warning each, of which 20 are printed; all are in the report.
{ printf '[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n'
  for i in $(seq 25); do printf 'PID=%d;N=%d;HO=1;GROUP=G%d\r\n' "$i" "$i" $((i % 3)); done; } > "$work/warn.frt"
expected_lines=$(seq 4 28 | tr '\n' ' ')
for options in "" "--label point-id --label east-north --label height --label code" \
               "--no-symbols --2d --separate-lines --single-layer --label height"; do
  # shellcheck disable=SC2086 # the options are words
  status=0
  "$batch" -q $options --report "$work/report.json" "$work/site.frt" "$work/bad.frt" "$work/warn.frt" \
    "$work/$(printf 's\xffte.frt')" 2> "$work/err.txt" || status=$?
  [[ $status -eq 1 ]] || { echo "FAIL: exit status $status with '$options'"; exit 1; }
  /usr/bin/python3 "$here/check_report.py" "$work/report.json" $expected_lines
done
# With -n the existing drawings' inputs are skipped, which is no failure; the bad input still fails.
status=0
"$batch" -q -n --report "$work/report.json" "$work/site.frt" "$work/bad.frt" "$work/warn.frt" 2> "$work/err.txt" ||
  status=$?
[[ $status -eq 1 ]] || { echo "FAIL: exit status $status with -n"; exit 1; }
/usr/bin/python3 "$here/check_report.py" "$work/report.json"
/usr/bin/python3 - "$work/report.json" <<'PY'
import json, sys
report = json.load(open(sys.argv[1], encoding="utf-8"))
statuses = [f["status"] for f in report["files"]]
sys.exit(0 if statuses == ["skipped", "failed", "skipped"] and report["options"]["no_clobber"] else f"FAIL: {statuses}")
PY

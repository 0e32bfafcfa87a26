#!/usr/bin/env bash
# Ctrl+C on the Windows batch converter under Wine, at several moments of a large conversion:
# every time the drawing is either absent or complete, and no temporary file is left behind.
#   interrupt.sh WINDOWS_BATCH_EXE WORKDIR
set -euo pipefail
windows=$(realpath "$1") work=$2
wine=${WINE:-/usr/lib/wine/wine64}
rm -rf "$work" && mkdir -p "$work"
cd "$work"

awk 'BEGIN {
  printf "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n"
  for (i = 0; i < 600000; i++)
    printf "PID=%d;E=%.3f;N=%.3f;HO=%.3f;GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n", i, 2600000 + i % 9973, 1200000 + i % 7919, 430 + i % 97
}' > big.frt

start=$(date +%s.%N)
"$wine" "$windows" -q --label point-id big.frt
whole=$(awk "BEGIN { print $(date +%s.%N) - $start }")
mv big.dxf complete.dxf

failures=0 interrupted=0
for fraction in 0.15 0.3 0.45 0.6 0.75 0.9; do
  rm -f big.dxf ./.*.tmp
  "$wine" "$windows" -q --label point-id big.frt &
  pid=$!
  sleep "$(awk "BEGIN { print $whole * $fraction }")"
  kill -INT "$pid" 2>/dev/null || true
  wait "$pid" || true
  left=$(find . -maxdepth 1 -name '*.tmp' | wc -l)
  if [[ -f big.dxf ]]; then
    cmp -s big.dxf complete.dxf || { echo "at $fraction: the drawing is incomplete"; failures=$((failures + 1)); }
  else
    interrupted=$((interrupted + 1))
  fi
  ((left == 0)) || { echo "at $fraction: a temporary file is left behind"; failures=$((failures + 1)); }
done
echo "interrupt under Wine: $interrupted of 6 runs stopped before the drawing was written, $failures failures"
# A run that was never stopped in time proves nothing.
((interrupted > 0 && failures == 0))

#!/usr/bin/env bash
# Starts frt2dxf on a copy of the bundled example under Xvfb, as a user would, takes a
# screenshot of the dialog, presses OK and checks that the drawing replaced the file.
#   scripts/screenshot-dialog.sh [PROGRAM] [OUTDIR]
set -euo pipefail
source "$(dirname "$0")/lib.sh"
if [[ ${1:-} == --inside-xvfb ]]; then
  program=$2 out=$3
  "$program" "$out/site.frt" &
  pid=$!
  timeout 30 xdotool search --sync --onlyvisible --name "DXF Export" >/dev/null
  sleep 1
  import -window root "$out/dialog.png"
  press_ok
  for i in $(seq 300); do
    kill -0 "$pid" 2>/dev/null || break
    ((i % 30 == 0)) && press_ok
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; echo "frt2dxf did not finish after OK" >&2; exit 1; fi
  wait "$pid"
  exit 0
fi
here=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$here/build/app/desktop/frt2dxf}
out=${2:-$here/build/screenshot}
mkdir -p "$out"
cp "$here/examples/site.frt" "$out/site.frt"
# A settings store of its own: the user's stays untouched.
export XDG_CONFIG_HOME="$out/config" XDG_RUNTIME_DIR=$(mktemp -d)
rm -rf "$XDG_CONFIG_HOME"

timeout 120 "$here/scripts/with-xvfb.sh" "$0" --inside-xvfb "$program" "$out"
head -c 14 "$out/site.frt" | cmp -s - <(printf '  0\r\nSECTION\r\n') || { echo "the file was not replaced by a drawing" >&2; exit 1; }
grep -q "^EOF" <(tr -d '\r' < "$out/site.frt") || { echo "the drawing is incomplete" >&2; exit 1; }
echo "screenshot: $out/dialog.png; the drawing replaced $out/site.frt"

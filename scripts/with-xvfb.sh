#!/usr/bin/env bash
# Runs COMMAND with DISPLAY set to an Xvfb of its own and returns once that server is gone.
#   with-xvfb.sh COMMAND [ARG...]
# Xvfb picks a free display itself and names it only when it accepts connections. xvfb-run -a
# guesses the number from lock files instead, and lost that race to a server of the test before
# that was still shutting down: the program then found no server on its display.
set -euo pipefail
dir=$(mktemp -d)
server=
finish() {
  if [[ -n $server ]]; then kill "$server" 2>/dev/null || true; wait "$server" 2>/dev/null || true; fi
  rm -rf "$dir"
}
trap finish EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
mkfifo "$dir/display"
# Open read-write so neither side blocks on opening the pipe.
exec 3<>"$dir/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 2>"$dir/log" &
server=$!
if ! read -r -t 30 -u 3 number; then
  echo "Xvfb did not start:" >&2
  cat "$dir/log" >&2
  exit 1
fi
exec 3<&-
status=0
DISPLAY=:$number "$@" || status=$?
exit $status

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
# -noreset: by default the server starts over whenever its last client leaves, and a client that
# connects meanwhile (the program, just after a probe such as xdotool went) is refused with
# "could not connect to display". A server that names its display and then cannot be reached is
# started again; the command runs only once a client has reached it.
# -r: no auto-repeat. xdotool's key press and release are two requests; on a loaded machine the
# release can come late, and the server then repeats the key into whatever window comes next
# (an Escape meant for one box closed the next program's file dialog).
for attempt in 1 2 3; do
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -r 2>"$dir/log" &
  server=$!
  if ! read -r -t 30 -u 3 number; then
    echo "Xvfb did not start:" >&2
    cat "$dir/log" >&2
    exit 1
  fi
  reached=false
  for _ in $(seq 50); do
    if DISPLAY=:$number xdotool getdisplaygeometry >/dev/null 2>&1; then reached=true; break; fi
    kill -0 "$server" 2>/dev/null || break
    sleep 0.1
  done
  $reached && break
  echo "Xvfb on :$number could not be reached (attempt $attempt):" >&2
  cat "$dir/log" >&2
  kill "$server" 2>/dev/null || true
  wait "$server" 2>/dev/null || true
  server=
done
$reached || exit 1
exec 3<&-
status=0
DISPLAY=:$number "$@" || status=$?
exit $status

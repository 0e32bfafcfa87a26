# Helpers the project's scripts share; sourced, never run.

# Says what failed on standard error and ends the script with 1.
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the command as root: directly when the script is root (as in CI), else through sudo.
as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# Waits until a "DXF Export" dialog is shown; false after 30 s.
wait_for_dialog() {
  for _ in $(seq 300); do
    xdotool search --onlyvisible --name "DXF Export" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  return 1
}

# Presses Return (OK) in every "DXF Export" dialog. The windows are looked up anew each time: one
# found while a dialog was being set up may be gone, and a key sent before it is ready is lost, so
# callers press again now and then. A window that went meanwhile is no failure.
press_ok() {
  local window
  for window in $(xdotool search --onlyvisible --name "DXF Export" 2>/dev/null); do
    xdotool key --window "$window" Return 2>/dev/null || true
  done
}

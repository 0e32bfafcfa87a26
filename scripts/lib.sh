# Helpers the project's scripts share; sourced, never run.

# Says what failed on standard error and ends the script with 1.
fail() { echo "FAIL: $*" >&2; exit 1; }

# Runs the command as root: directly when the script is root (as in CI), else through sudo.
as_root() {
  if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi
}

# Prints the id of the first shown window whose title matches the pattern, once there is one;
# false after SECONDS (default 30).
window_named() {
  local id
  for _ in $(seq $((${2:-30} * 10))); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [[ -n $id ]] && echo "$id" && return 0
    sleep 0.1
  done
  return 1
}

# Waits until a "DXF Export" dialog is shown; false after 30 s.
wait_for_dialog() { window_named "DXF Export" > /dev/null; }

# Presses Return (OK) in every "DXF Export" dialog. The windows are looked up anew each time: one
# found while a dialog was being set up may be gone, and a key sent before it is ready is lost, so
# callers press again now and then. A window that went meanwhile is no failure.
press_ok() {
  local window
  for window in $(xdotool search --onlyvisible --name "DXF Export" 2>/dev/null); do
    xdotool key --window "$window" Return 2>/dev/null || true
  done
}

# Presses OK now, and again every 3 s (a key sent before a loaded machine has the dialog ready is
# lost), until process PID has ended, for at most SECONDS (default 30). False when it still runs.
press_ok_until_exit() {
  local pid=$1 tenths=$((${2:-30} * 10)) i
  press_ok
  for ((i = 1; i <= tenths; ++i)); do
    kill -0 "$pid" 2>/dev/null || return 0
    ((i % 30 == 0)) && press_ok
    sleep 0.1
  done
  ! kill -0 "$pid" 2>/dev/null
}

# Prints a survey of 600000 points, some 60 MB of drawing: a copy of it into a file takes a while.
large_survey() {
  awk 'BEGIN { printf "[Header]\r\nFormat=Rev2Ezi;Version=1.0\r\n[Points]\r\n";
               for (i = 0; i < 600000; ++i)
                 printf "PID=%d;E=%.3f;N=%.3f;HO=%.3f;GROUP=TREE;CODE=OAK;PCLASS=MEAS\r\n",
                        i, 2600000 + i % 9973, 1200000 + i % 7919, 430 + i % 97 }'
}

# One round of answering the "Error" box over a dialog: Escape closes it (a Return could reach the
# dialog too and press OK again), and MARKER is made to say that one was shown; once one was,
# Escape cancels the dialog. A window that went meanwhile is no failure: the next round sends again.
escape_error_box() {
  local marker=$1 boxes window
  boxes=$(xdotool search --onlyvisible --name "^Error$" 2>/dev/null) || boxes=
  if [[ -n $boxes ]]; then
    touch "$marker"
    for window in $boxes; do xdotool key --window "$window" Escape 2>/dev/null || true; done
  elif [[ -e $marker ]]; then
    for window in $(xdotool search --onlyvisible --name "DXF Export" 2>/dev/null); do
      xdotool key --window "$window" Escape 2>/dev/null || true
    done
  fi
  return 0
}

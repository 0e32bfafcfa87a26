#!/usr/bin/env bash
# frt2dxf.exe under Wine on Xvfb, driven with the mouse by xdotool (Xvfb has no window manager,
# so the dialog is found by its name and its controls by their place in dialog units):
# OK writes the drawing, Cancel deletes the input, a rejected header ends silently, a symbol
# size of 0 brings up the validation message, and started without a file it writes beside the
# chosen one, asking before it replaces a drawing there. Screenshots of the dialog are kept.
#   desktop.sh FRT2DXF_EXE LINUX_BATCH EXAMPLE.frt WORKDIR
set -euo pipefail
source "$(dirname "$0")/../../scripts/lib.sh"
wine=${WINE:-/usr/lib/wine/wine64}
if [[ ${1:-} == --inside-xvfb ]]; then
  shift
  exe=$1 linux=$2 example=$3 work=$4
  winpath() { echo "Z:${1//\//\\}"; }
  dialogs() { xdotool search --onlyvisible --name "DXF Export" 2>/dev/null | wc -l; }
  start() { "$wine" "$exe" "$(winpath "$1")" & pid=$!; }
  wait_dialog() {
    # The first window of a fresh Wine prefix can take a while: Wine builds its font cache then.
    for _ in $(seq 600); do
      window=$(xdotool search --onlyvisible --name "DXF Export" 2>/dev/null | head -1 || true)
      [[ -n $window ]] && break
      kill -0 "$pid" 2>/dev/null || return 1
      sleep 0.2
    done
    [[ -n $window ]] || return 1
    sleep 0.5
    eval "$(xdotool getwindowgeometry --shell "$window")"
  }
  # A click at dialog units (x, y) of the 304 x 261 template.
  click() { xdotool mousemove $((X + $1 * WIDTH / 304)) $((Y + $2 * HEIGHT / 261)) click 1; }
  finished() {
    for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || { wait "$pid" || true; return 0; }; sleep 0.2; done
    return 1
  }

  # The defaults: no choices stored by an earlier run in this prefix.
  "$wine" reg delete 'HKCU\Software\Halvora' /f >/dev/null 2>&1 || true

  # OK: the drawing over the input, as the Linux batch writes it with the same (default) options.
  cp "$example" "$work/ok.frt"
  start "$work/ok.frt"
  wait_dialog || fail "the dialog did not appear"
  import -window root "$work/dialog.png"
  click 122 236
  finished || fail "frt2dxf did not end after OK"
  "$linux" -q -o "$work/expected.dxf" "$example"
  cmp "$work/ok.frt" "$work/expected.dxf" || fail "OK did not write the drawing the Linux batch writes"
  echo "OK writes the drawing of the Linux batch converter"

  # Cancel: the input is deleted, as the host expects.
  cp "$example" "$work/cancel.frt"
  start "$work/cancel.frt"
  wait_dialog || fail "the dialog did not appear for Cancel"
  click 181 236
  finished || fail "frt2dxf did not end after Cancel"
  [[ ! -e $work/cancel.frt ]] || fail "Cancel left the input"
  echo "Cancel deletes the input"

  # A header for another converter: no dialog, no message, the file untouched.
  printf '[Header]\r\nFormat=Raz2Azi\r\n' > "$work/other.frt"
  start "$work/other.frt"
  finished || fail "frt2dxf did not end on a rejected header"
  [[ $(dialogs) -eq 0 ]] || fail "a window appeared for a rejected header"
  [[ $(cat "$work/other.frt") == $'[Header]\r\nFormat=Raz2Azi\r' ]] || fail "the rejected file was changed"
  echo "a rejected header ends silently"

  # A file that is not there: the "Error" box, then a failure status.
  start "$work/missing.frt"
  box=$(window_named "^Error$" 60) || fail "no error box for a file that is not there"
  sleep 0.5
  xdotool key --window "$box" Return
  for _ in $(seq 150); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
  status=0
  wait "$pid" || status=$?
  [[ $status -eq 1 ]] || fail "a file that is not there ends with status $status, not 1"
  echo "a file that is not there: the error box, then status 1"

  # --version and --help print to the standard output they are given, with no window.
  [[ $("$wine" "$exe" --version 2>/dev/null) == "frt2dxf $(sed -nE 's/^project\(frt2dxf VERSION ([0-9.]+).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")"* ]] ||
    fail "frt2dxf.exe --version does not print the version"
  "$wine" "$exe" --help 2>/dev/null | grep -q "^Usage: frt2dxf" || fail "frt2dxf.exe --help does not print the usage"
  echo "--version and --help print, with no window"

  # Symbol size 0: the validation message, and nothing is written.
  cp "$example" "$work/size.frt"
  start "$work/size.frt"
  wait_dialog || fail "the dialog did not appear for the size check"
  click 228 44
  xdotool key End BackSpace BackSpace BackSpace BackSpace BackSpace BackSpace 0
  import -window root "$work/typed.png"
  click 122 236
  sleep 1
  [[ $(dialogs) -ge 2 ]] || fail "no validation message for a symbol size of 0"
  import -window root "$work/validation.png"
  cmp -s "$work/size.frt" "$example" || fail "the input changed after a refused value"
  kill "$pid"; wait "$pid" 2>/dev/null || true
  echo "a symbol size of 0 brings up the validation message"

  # Started on its own: the file dialog, then OK writes beside the chosen file, asking first
  # when a drawing is there; the default answer (No) keeps it and the dialog stays open.
  cp "$example" "$work/alone.frt"
  echo "old drawing" > "$work/alone.dxf"
  # The file dialog opens in the current folder: only the name is typed (xdotool under Wine
  # loses the shift of "Z:").
  program=$(realpath "$exe")
  (cd "$work" && exec "$wine" "$program") & pid=$!
  chooser=$(window_named "^Open$" 60) || fail "no file dialog when started on its own"
  sleep 0.5
  xdotool key --window "$chooser" ctrl+a
  xdotool type --window "$chooser" alone.frt
  xdotool key --window "$chooser" Return
  window=$(window_named "DXF Export - alone.frt -> alone.dxf" 60) || fail "the dialog's title does not name both files"
  sleep 0.5
  eval "$(xdotool getwindowgeometry --shell "$window")"
  click 122 236
  sleep 1
  [[ $(dialogs) -ge 2 ]] || fail "no question before replacing alone.dxf"
  import -window root "$work/question.png"
  xdotool key Return
  sleep 1
  [[ $(cat "$work/alone.dxf") == "old drawing" ]] || fail "No replaced the drawing"
  kill -0 "$pid" 2>/dev/null || fail "No closed the dialog"
  click 122 236
  sleep 1
  xdotool key y
  sleep 1
  # Where the drawing went is said before the dialog closes.
  [[ $(dialogs) -ge 2 ]] || fail "no word of where the drawing went"
  import -window root "$work/written.png"
  xdotool key Return
  finished || fail "frt2dxf did not end after Yes"
  cmp "$work/alone.frt" "$example" || fail "the chosen file was changed"
  cmp "$work/alone.dxf" "$work/expected.dxf" || fail "Yes did not write the drawing beside the chosen file"
  echo "started on its own, it asks before replacing and never changes the chosen file"
  exit 0
fi
exe=$1 linux=$2 example=$3 work=$4
rm -rf "$work" && mkdir -p "$work"
timeout 300 "$(dirname "$0")/../../scripts/with-xvfb.sh" "$0" --inside-xvfb "$exe" "$linux" "$example" "$work"

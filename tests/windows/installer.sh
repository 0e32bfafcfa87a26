#!/usr/bin/env bash
# The installer under Wine, silently: for all users into Program Files, and for the current user
# into %LOCALAPPDATA%\Programs with the batch converter's folder added to the user's PATH; each
# time the Add/Remove Programs entry, the Start menu, the installed programs, and an uninstall that
# leaves nothing behind. The portable zip holds the same programs.
#   installer.sh FRT2DXF_SETUP_EXE PORTABLE_ZIP VERSION
set -euo pipefail
wine=${WINE:-/usr/lib/wine/wine64}
wineserver=${WINESERVER:-/usr/lib/wine/wineserver}
setup=$1 zip=$2 version=$3
source "$(dirname "$0")/../../scripts/lib.sh"
: "${WINEPREFIX:?the Wine prefix of the test run}"
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\frt2dxf'
value() { "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'; }
default_value() { "$wine" reg query "$1" /ve 2>/dev/null | tr -d '\r' | awk '$1 == "(Default)" { sub(/^ *\(Default\) +REG_SZ +/, ""); print }'; }
gone() { for _ in $(seq 60); do [[ -e $1 ]] || return 0; sleep 0.5; done; return 1; }

check_installed() { # FOLDER ROOT_KEY
  local folder=$1 root=$2
  for f in frt2dxf.exe frt2dxf-batch.exe VUZ_Ezavurudi.lng VUZ_Ezavurudi.de.lng README.txt uninstall.exe; do
    [[ -f "$folder/$f" ]] || fail "$f not installed in $folder"
  done
  [[ $(value "$root\\$uninstall_key" Publisher) == "The frt2dxf project" ]] || fail "no publisher in Add/Remove Programs"
  [[ $(value "$root\\$uninstall_key" DisplayVersion) == "$version" ]] || fail "no version in Add/Remove Programs"
  [[ $(value "$root\\$uninstall_key" DisplayIcon) == *'frt2dxf.exe,0' ]] || fail "no icon in Add/Remove Programs"
  [[ $(value "$root\\$uninstall_key" EstimatedSize) =~ ^0x[0-9a-f]+$ ]] || fail "no size in Add/Remove Programs"
  [[ $("$wine" "$folder/frt2dxf-batch.exe" --version | tr -d '\r') == "frt2dxf-batch $version" ]] || fail "--version"
  # The same stripped programs as the zip's (strip stamps the time, so the sizes are compared),
  # and the Windows README rather than the Markdown one.
  for f in frt2dxf.exe frt2dxf-batch.exe; do
    [[ $(unzip -p "$zip" "frt2dxf-$version-portable/$f" | wc -c) -eq $(stat -c %s "$folder/$f") ]] ||
      fail "$f is not the zip's"
    ! x86_64-w64-mingw32-objdump -h "$folder/$f" | grep -q '\.debug_' || fail "$f is not stripped"
  done
  grep -q '^frt2dxf-batch.exe --help' <(tr -d '\r' < "$folder/README.txt" | sed 's/^ *//') || fail "README.txt"
  # "Open with" picks the program with --open, never the host's mode that replaces the survey.
  for key in 'Software\Classes\frt2dxf.frt\shell\open\command' 'Software\Classes\Applications\frt2dxf.exe\shell\open\command'; do
    [[ $(default_value "$root\\$key") == *'frt2dxf.exe" --open "%1"' ]] ||
      fail "$key is not an --open command: $(default_value "$root\\$key")"
  done
  "$wine" reg query "$root\Software\Classes\.frt\OpenWithProgids" /v frt2dxf.frt >/dev/null 2>&1 ||
    fail ".frt does not offer frt2dxf in Open with"
}
# After an uninstall: no "Open with" entry is left.
check_removed() { # ROOT_KEY
  for key in 'Software\Classes\frt2dxf.frt' 'Software\Classes\Applications\frt2dxf.exe' 'Software\Classes\.frt'; do
    "$wine" reg query "$1\\$key" >/dev/null 2>&1 && fail "$1\\$key stayed after the uninstall"
  done
  return 0
}

"$wineserver" -k 2>/dev/null || true
"$wineserver" -w

# For all users.
all="$WINEPREFIX/drive_c/Program Files/frt2dxf"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/frt2dxf"
"$wine" "$setup" /S /AllUsers
check_installed "$all" HKLM
[[ -f "$menu/frt2dxf DXF Export.lnk" ]] || fail "no Start-menu entry \"frt2dxf DXF Export\" for all users"
[[ -z $(value 'HKCU\Environment' Path) || $(value 'HKCU\Environment' Path) != *frt2dxf* ]] || fail "PATH changed unasked"
"$wine" "$all/uninstall.exe" /S /AllUsers
gone "$all" && gone "$menu" || fail "the uninstaller left files behind in Program Files"
"$wine" reg query "HKLM\\$uninstall_key" >/dev/null 2>&1 && fail "the Add/Remove Programs entry stayed"
check_removed HKLM
echo "installed for all users and removed again"

# For the current user only, with the batch converter on PATH.
mine=$(find "$WINEPREFIX/drive_c/users" -maxdepth 1 -mindepth 1 -type d ! -name Public | head -1)/AppData/Local/Programs/frt2dxf
"$wine" "$setup" /S /CurrentUser /PATH
check_installed "$mine" HKCU
[[ $(value 'HKCU\Environment' Path) == *'\Programs\frt2dxf'* ]] || fail "the folder is not on the user's PATH"
"$wine" "$mine/uninstall.exe" /S /CurrentUser
gone "$mine" || fail "the uninstaller left files behind in the user's programs"
[[ $(value 'HKCU\Environment' Path) != *frt2dxf* ]] || fail "the PATH entry stayed: $(value 'HKCU\Environment' Path)"
"$wine" reg query "HKCU\\$uninstall_key" >/dev/null 2>&1 && fail "the Add/Remove Programs entry stayed"
check_removed HKCU
echo "installed for the current user with PATH and removed again"

# The listing is read whole first: grep -q leaving early would end unzip with SIGPIPE, and
# pipefail would report a file as missing.
listing=$(unzip -Z1 "$zip")
for f in frt2dxf.exe frt2dxf-batch.exe VUZ_Ezavurudi.lng README.txt; do
  grep -qx "frt2dxf-$version-portable/$f" <<< "$listing" || fail "the portable zip lacks $f"
done
echo "the portable zip holds the programs"

#!/usr/bin/env bash
# Makes the .deb from the install rules, checks it with lintian (any error or warning fails),
# installs it with dpkg, uses the installed programs (the example converted as the build converts
# it, the man pages, the bash completion, the language files where the program looks for them),
# and removes it again, leaving nothing behind, also when a check fails.
# Needs root (or sudo): it installs into the system.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
source scripts/lib.sh

bash scripts/install-packages.sh dpkg-dev man-db lintian libxml2-utils desktop-file-utils
rm -rf "$build/packages"
cpack --config "$build/CPackConfig.cmake" -B "$build/packages" > "$build/cpack.log" 2>&1 || { cat "$build/cpack.log"; fail "cpack"; }
deb=$(ls "$build"/packages/frt2dxf_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
echo "$(basename "$deb"): Depends: $depends"
[[ $depends == *libc6* && $depends == *libstdc++6* ]] || fail "the dependencies were not found by dpkg-shlibdeps"
[[ $depends == *libqt6widgets6* ]] || fail "the desktop program's Qt libraries are not among the dependencies"
# Root is what CI runs as; lintian only warns about it on its standard error.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  fail "lintian has findings on the package"

# Not while another installation is there: the test removes what it installed.
if dpkg -s frt2dxf >/dev/null 2>&1; then fail "frt2dxf is installed already; remove it first"; fi
work=$(mktemp -d)
installedHere=
# Whatever happens from here on, what this script installed goes again.
cleanup() {
  [[ -z $installedHere ]] || as_root dpkg -r frt2dxf > /dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
installedHere=yes
as_root dpkg -i "$deb" > /dev/null
installed=$(dpkg -L frt2dxf)
[[ $(/usr/bin/frt2dxf-batch --version) == "frt2dxf-batch $(dpkg-deb -f "$deb" Version)" ]] || fail "--version"
/usr/bin/frt2dxf-batch -q -o "$work/site.dxf" examples/site.frt
"$build/batch/frt2dxf-batch" -q -o "$work/expected.dxf" examples/site.frt
cmp -s "$work/site.dxf" "$work/expected.dxf" || fail "the installed converter writes another drawing"
for page in frt2dxf frt2dxf-batch; do
  man -w "$page" > /dev/null || fail "no man page $page"
done
bash -c 'source /usr/share/bash-completion/completions/frt2dxf-batch && complete -p frt2dxf-batch' > /dev/null ||
  fail "the bash completion does not load"
[[ -f /usr/share/frt2dxf/VUZ_Ezavurudi.lng && -f /usr/share/applications/frt2dxf.desktop ]] || fail "data files"
grep -q '^Exec=frt2dxf --open %f$' /usr/share/applications/frt2dxf.desktop || fail "the menu entry"
grep -q '^MimeType=application/x-frt;$' /usr/share/applications/frt2dxf.desktop || fail "the menu entry's file type"
[[ -f /usr/share/mime/packages/frt2dxf.xml ]] || fail "no file type for *.frt"
for doc in README.md report.md report.schema.json; do
  [[ -f /usr/share/doc/frt2dxf/$doc ]] || fail "no /usr/share/doc/frt2dxf/$doc"
done
# Every picture the installed README links to is installed beside it.
for image in $(grep -o 'docs/images/[^)]*' /usr/share/doc/frt2dxf/README.md); do
  [[ -f /usr/share/doc/frt2dxf/$image ]] || fail "the README links to $image, which is not installed"
done
# The desktop program's page names every way to start it and what its status means.
synopsis=$(man frt2dxf 2>/dev/null | sed -n '/^SYNOPSIS/,/^DESCRIPTION/p')
for word in --open --help --version; do
  grep -q -- "$word" <<< "$synopsis" || fail "frt2dxf(1)'s synopsis lacks $word"
done
man frt2dxf 2>/dev/null | grep -q '^EXIT STATUS' || fail "frt2dxf(1) has no exit status"
[[ -f /usr/share/frt2dxf/VUZ_Ezavurudi.de.lng ]] || fail "no German texts"
xmllint --noout /usr/share/mime/packages/frt2dxf.xml || fail "the file type's XML"
desktop-file-validate /usr/share/applications/frt2dxf.desktop || fail "the menu entry does not validate"
as_root dpkg -r frt2dxf > /dev/null
installedHere=
while IFS= read -r path; do
  [[ -d $path ]] && continue
  [[ ! -e $path ]] || fail "dpkg -r left $path"
done <<< "$installed"
echo "the .deb installs, works and goes again: $(basename "$deb")"

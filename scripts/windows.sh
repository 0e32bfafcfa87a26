#!/usr/bin/env bash
# Cross-builds both programs for Windows with mingw-w64 into build-windows/, runs the Windows
# tests under Wine (the GoogleTest suites, the batch converter against the Linux one byte for
# byte, Ctrl+C during a conversion, the desktop program on Xvfb), then builds the installer frt2dxf-VERSION-setup.exe (NSIS) and a
# portable zip, and installs and uninstalls the installer under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis zip xvfb xauth xdotool imagemagick cmake ninja-build)
bash scripts/install-packages.sh "${packages[@]}"
# The Linux batch converter is the reference for the byte comparison.
[[ -x build/batch/frt2dxf-batch ]] || bash scripts/setup.sh

out=build-windows
cmake --preset windows
cmake --build "$out" --parallel "$(nproc)"
# clang-tidy over what only this build compiles, with the MinGW headers.
bash scripts/style.sh --windows

# A private Wine prefix for this run, started once; no Mono or Gecko prompts.
export WINEPREFIX=$root/$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINE=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
rm -rf "$WINEPREFIX"
"$WINE" wineboot -i >/dev/null 2>&1
"$wineserver" -w

echo "Running the Windows test suites under Wine"
ctest --test-dir "$out" --output-on-failure --parallel "$(nproc)" --timeout 300
bash tests/windows/compare-batch.sh build/batch/frt2dxf-batch "$out/batch/frt2dxf-batch.exe" examples/site.frt \
     "$out/compare"
bash tests/windows/interrupt.sh "$out/batch/frt2dxf-batch.exe" "$out/interrupt"
bash tests/windows/full-disk.sh "$out/batch/frt2dxf-batch.exe" build/batch/frt2dxf-batch examples/site.frt "$out/full-disk"
# Windows on the display need a Wine session started on it, not the one the tests above used.
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
bash scripts/with-xvfb.sh "$WINE" "$out/tests/windows_tests.exe" --gtest_filter='WindowsDialog.*'
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
bash tests/windows/desktop.sh "$out/app/win32/frt2dxf.exe" build/batch/frt2dxf-batch examples/site.frt \
     "$out/desktop"
echo "The dialog as Wine shows it: $out/desktop/dialog.png"

echo "Packaging"
version=$(sed -nE 's/^project\(frt2dxf VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
# The installer and the zip take what the install rules install, so that no file list is kept twice.
stage=$out/stage
rm -rf "$stage"
# Stripped, as the zip's are: the debugging sections would double the programs' size.
cmake --install "$out" --prefix "$stage" --strip > /dev/null
# The uninstaller removes exactly the installed files.
sed -E "s|^$root/$stage/(\./)?||; s|/|\\\\|g; s|^(.*)$|  Delete \"\$INSTDIR\\\\\1\"|" "$out/install_manifest.txt" > "$out/uninstall-files.nsh"
makensis -V2 -DVERSION="$version" -DSTAGE="$root/$stage" -DFILES="$root/$out/uninstall-files.nsh" \
         -DOUTFILE="$root/$out/frt2dxf-$version-setup.exe" packaging/frt2dxf.nsi
(cd "$out" && cpack -G ZIP -B "$root/$out/packages" > /dev/null)
zip=$out/packages/frt2dxf-$version-portable.zip

echo "Installing and uninstalling under Wine"
bash tests/windows/installer.sh "$out/frt2dxf-$version-setup.exe" "$zip" "$version"
echo "Windows: built, tested under Wine, packaged: $out/frt2dxf-$version-setup.exe, $zip"

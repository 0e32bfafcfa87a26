#!/usr/bin/env bash
# Cross-builds both programs for Windows with mingw-w64 into build-windows/, runs the Windows
# tests under Wine (the GoogleTest suites, the batch converter against the Linux one byte for
# byte, Ctrl+C during a conversion, the desktop program on Xvfb), then builds the installer frt2dxf-setup.exe (NSIS) and a
# portable zip, and installs and uninstalls the installer under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis zip xvfb xauth xdotool imagemagick cmake ninja-build)
bash scripts/install-packages.sh "${packages[@]}"
# The Linux batch converter is the reference for the byte comparison.
[[ -x build/batch/frt2dxf-batch ]] || bash scripts/setup.sh

out=build-windows
cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release \
      -DFRT2DXF_BUILD_TESTS=ON -DFRT2DXF_BUILD_BENCH=OFF -DFRT2DXF_WERROR=ON
cmake --build "$out" --parallel "$(nproc)"

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
bash tests/windows/desktop.sh "$out/app/win32/frt2dxf.exe" build/batch/frt2dxf-batch examples/site.frt \
     "$out/desktop"
echo "The dialog as Wine shows it: $out/desktop/dialog.png"

echo "Packaging"
version=$(sed -nE 's/^project\(frt2dxf VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
stage=$out/stage/frt2dxf-$version
rm -rf "$out/stage" && mkdir -p "$stage"
cp "$out/app/win32/frt2dxf.exe" "$out/batch/frt2dxf-batch.exe" lang/VUZ_Ezavurudi.lng lang/VUZ_Ezavurudi.de.lng "$stage/"
sed 's/$/\r/' README.md > "$stage/README.txt"
makensis -V2 -DVERSION="$version" -DSTAGE="$root/$stage" -DOUTFILE="$root/$out/frt2dxf-setup.exe" \
         packaging/frt2dxf.nsi
(cd "$out/stage" && rm -f "../frt2dxf-$version-portable.zip" && zip -qr "../frt2dxf-$version-portable.zip" "frt2dxf-$version")

echo "Installing and uninstalling under Wine"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
installed="$WINEPREFIX/drive_c/Program Files/frt2dxf"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/frt2dxf"
"$WINE" "$out/frt2dxf-setup.exe" /S
for f in frt2dxf.exe frt2dxf-batch.exe VUZ_Ezavurudi.lng VUZ_Ezavurudi.de.lng uninstall.exe; do
  [[ -f "$installed/$f" ]] || { echo "the installer did not install $f"; exit 1; }
done
[[ -f "$menu/frt2dxf.lnk" ]] || { echo "no Start-menu entry for frt2dxf"; exit 1; }
"$WINE" "$installed/frt2dxf-batch.exe" --version
"$WINE" "$installed/uninstall.exe" /S
for _ in $(seq 60); do [[ -e "$installed" || -e "$menu" ]] || break; sleep 0.5; done
[[ ! -e "$installed" && ! -e "$menu" ]] || { echo "the uninstaller left files behind"; exit 1; }
echo "Windows: built, tested under Wine, packaged: $out/frt2dxf-setup.exe, $out/frt2dxf-$version-portable.zip"

#!/usr/bin/env bash
# Installs what the two programs need (and nothing for the tests), builds just them, then runs
# the main job on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-packages.sh cmake ninja-build g++ qt6-base-dev
# Tests and benchmarks off: a later scripts/setup.sh switches them on in the same build folder.
cmake --preset programs > /dev/null
cmake --build build --parallel "$(nproc)" --target frt2dxf frt2dxf-batch
./build/batch/frt2dxf-batch examples/site.frt -o build/site.dxf
echo "The drawing is build/site.dxf; the desktop program is build/app/desktop/frt2dxf"

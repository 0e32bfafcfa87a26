#!/usr/bin/env bash
# Sets up and builds, then runs the main job on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
./build/batch/frt2dxf-batch examples/site.frt -o build/site.dxf
echo "The drawing is build/site.dxf"

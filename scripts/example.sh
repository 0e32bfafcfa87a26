#!/usr/bin/env bash
# Sets up and builds, then runs the main job on the bundled example.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
./build/tools/frt-dump examples/site.frt

#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export FRT2DXF_REQUIRE_COMMA_LOCALE=1
ctest --test-dir build --output-on-failure --parallel "$(nproc)"

#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite, the fault campaign, the style checks, the Debian package, the
# Windows build and its tests under Wine, the sanitizer build and the fuzzers.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
export FRT2DXF_REQUIRE_COMMA_LOCALE=1
ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# Random second writers, signals and input rewrites against both ways a drawing is placed.
echo "Attacking the fault model for ${CAMPAIGN_SECONDS:-60} seconds"
/usr/bin/python3 tests/faults/campaign.py build/batch/frt2dxf-batch build/campaign "${CAMPAIGN_SECONDS:-60}"
# The build above treats warnings as errors; the format and clang-tidy are checked too.
bash scripts/style.sh
# Once more under a comma-decimal locale: numbers in files must not change with it.
echo "Running the suite again under de_DE.UTF-8"
LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# The Debian package from the install rules: made, installed, used and removed again.
echo "Packaging for Debian"
bash scripts/deb.sh build
# The Windows programs: cross-built, tested under Wine, packaged.
echo "Building and testing the Windows programs"
bash scripts/windows.sh
# Then with the sanitizers, and a short fuzzing run of every target.
echo "Running the suite with AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/sanitize.sh
echo "Fuzzing every target for ${FUZZ_SECONDS:-60} seconds"
bash scripts/fuzz.sh

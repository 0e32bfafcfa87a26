#!/usr/bin/env bash
# Sets up and builds, then runs the whole test suite, the fault campaign, the style checks, the Debian package, the
# Windows build and its tests under Wine, the sanitizer build and the fuzzers. Each stage says how long it took.
set -euo pipefail
cd "$(dirname "$0")/.."
begun=$SECONDS
timed() {
  local label=$1 start=$SECONDS status=0
  shift
  "$@" || status=$?
  echo "-- $label took $((SECONDS - start)) s; $((SECONDS - begun)) s in all"
  return "$status"
}
timed "Setting up and building" bash scripts/setup.sh
export FRT2DXF_REQUIRE_COMMA_LOCALE=1
timed "The suite" ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# Random second writers, signals and input rewrites against both ways a drawing is placed, beside
# the style checks: the attack waits on its processes much of the time, and a busy machine only
# makes its races more likely.
echo "Attacking the fault model for ${CAMPAIGN_SECONDS:-60} seconds, beside the style checks"
/usr/bin/python3 tests/faults/campaign.py build/batch/frt2dxf-batch build/campaign "${CAMPAIGN_SECONDS:-60}" \
  > build/campaign.log 2>&1 &
campaign=$!
trap 'kill "$campaign" 2>/dev/null || true' EXIT
# The build above treats warnings as errors; the format and clang-tidy are checked too.
timed "The style checks" bash scripts/style.sh
status=0
timed "The fault campaign" wait "$campaign" || status=$?
trap - EXIT
cat build/campaign.log
((status == 0)) || { echo "The fault campaign failed (status $status)"; exit 1; }
# Once more under a comma-decimal locale: numbers in files must not change with it.
echo "Running the suite again under de_DE.UTF-8"
timed "The suite under de_DE.UTF-8" env LC_ALL=de_DE.UTF-8 LANG=de_DE.UTF-8 \
  ctest --test-dir build --output-on-failure --parallel "$(nproc)"
# The Debian package from the install rules: made, installed, used and removed again.
echo "Packaging for Debian"
timed "The Debian package" bash scripts/deb.sh build
# The Windows programs: cross-built, tested under Wine, packaged.
echo "Building and testing the Windows programs"
timed "The Windows programs" bash scripts/windows.sh
# Then with the sanitizers, and a short fuzzing run of every target.
echo "Running the suite with AddressSanitizer and UndefinedBehaviorSanitizer"
timed "The sanitizer build and suite" bash scripts/sanitize.sh
echo "Fuzzing every target for ${FUZZ_SECONDS:-60} seconds"
timed "Fuzzing" bash scripts/fuzz.sh

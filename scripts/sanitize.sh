#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into ./build-asan and
# runs the whole test suite there. Any sanitizer report ends its process with an error, so it
# fails the test that ran it. The build is made at -O1 with line tables only (CMakePresets.json), as the
# sanitizers' authors advise: it compiles in half the time, and a report still names file and line.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset asan
cmake --build build-asan --parallel "$(nproc)"
# A report exits with 86, which no test takes for one of the programs' own exit codes.
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1:detect_stack_use_after_return=1:exitcode=86
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1:exitcode=86
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)" --timeout 900

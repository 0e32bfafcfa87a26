#!/usr/bin/env bash
# Fails on a formatting difference from .clang-format or on any clang-tidy finding in the
# project's own sources. Needs a configured build/ (compile_commands.json).
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.h' '*.cpp' 2>/dev/null || find common frt dxf convert app batch tools bench fuzz tests -name '*.h' -o -name '*.cpp')
echo "Checking the format of ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

echo "Running clang-tidy"
# Every translation unit of the build, tests included; headers come along through them.
run-clang-tidy -quiet -p build -j "$(nproc)" > build/tidy.log 2>&1 || true
if grep -qE '(warning|error):' build/tidy.log; then
  grep -E '(warning|error):' build/tidy.log | sort -u
  echo "clang-tidy found problems (build/tidy.log)"
  exit 1
fi
echo "clang-format and clang-tidy: no findings"

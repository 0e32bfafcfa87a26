#!/usr/bin/env bash
# Fails on a formatting difference from .clang-format, on any clang-tidy finding in the
# project's own sources, and whenever clang-tidy did not run over every translation unit of the
# build. Needs a configured build/ (compile_commands.json).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

mapfile -t sources < <(git ls-files '*.h' '*.cpp')
((${#sources[@]} > 0)) || fail "no sources found: not a git checkout?"
echo "Checking the format of ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

echo "Running clang-tidy"
database=build/compile_commands.json
[[ -s $database ]] || fail "$database is missing: configure the build first (scripts/setup.sh)"
# Files built into several targets are checked once.
units=$(/usr/bin/python3 -c 'import json, sys; print(len({e["file"] for e in json.load(open(sys.argv[1]))}))' \
          "$database")
# Every translation unit of the build, tests included; headers come along through them. Findings
# are errors (.clang-tidy), so the tool's own status is the verdict.
status=0
run-clang-tidy -quiet -p build -j "$(nproc)" > build/tidy.log 2>&1 || status=$?
ran=$(grep -c '^clang-tidy' build/tidy.log) || ran=0
if ((status != 0)); then
  grep -E '(warning|error):' build/tidy.log | sort -u || tail -n 20 build/tidy.log
  fail "clang-tidy failed or found problems (build/tidy.log)"
fi
((ran == units)) || fail "clang-tidy ran over $ran of the $units translation units (build/tidy.log)"
echo "clang-format and clang-tidy ($units translation units): no findings"

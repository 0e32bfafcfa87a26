#!/usr/bin/env bash
# Fails on a formatting difference from .clang-format, on any clang-tidy finding in the
# project's own sources, and whenever clang-tidy did not run over every translation unit it was
# given. Needs a configured build/ (compile_commands.json). With --windows, only the units that
# only the Windows build has (the Win32 shell and platform files) are tidied, from a configured
# build-windows/ with the MinGW headers: scripts/windows.sh runs that after its build.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib.sh

# Runs clang-tidy over the units of a compile database (all, or those listed in the file named
# third) and checks that its own list of what it ran holds exactly those. Findings are errors
# (.clang-tidy), so the tool's own status is the verdict.
tidy_units() {
  local build=$1 label=$2 only=${3:-} database=$1/compile_commands.json
  shift $(($# < 3 ? $# : 3))
  [[ -s $database ]] || fail "$database is missing: configure the build first"
  local wanted=$build/tidy-wanted.txt ran=$build/tidy-ran.txt log=$build/tidy.log
  # Files built into several targets are checked once.
  /usr/bin/python3 -c 'import json, sys; print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1]))
                                                                  if e["file"].endswith(".cpp")})))' \
    "$database" > "$wanted"
  local regex=()
  if [[ -n $only ]]; then
    # No unit of the list in the database leaves the list empty, which fails below.
    grep -Fxf "$only" "$wanted" > "$wanted.only" || (($? == 1))
    mv "$wanted.only" "$wanted"
    mapfile -t regex < <(sed 's/[.+]/\\&/g; s/$/$/' "$wanted")
  fi
  local units
  units=$(wc -l < "$wanted")
  ((units > 0)) || fail "no translation units to tidy in $database"
  rm -f "$ran"
  local status=0
  TIDY_UNITS=$PWD/$ran run-clang-tidy -quiet -p "$build" -j "$(nproc)" \
    -clang-tidy-binary "$PWD/scripts/tidy-unit.sh" "$@" "${regex[@]}" > "$log" 2>&1 || status=$?
  if ((status != 0)); then
    grep -E '(warning|error):' "$log" | sort -u || tail -n 20 "$log"
    fail "clang-tidy failed or found problems ($log)"
  fi
  sort -u "$ran" -o "$ran"
  cmp -s "$wanted" "$ran" ||
    fail "clang-tidy ran over $(wc -l < "$ran") of the $units $label translation units ($ran, $wanted)"
  echo "clang-tidy ($units $label translation units): no findings"
}

if [[ ${1:-} == --windows ]]; then
  # The libstdc++ of MinGW, and clang's own intrinsics rather than GCC's, which clang cannot read.
  gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
  headers=(--target=x86_64-w64-mingw32 -nostdinc++ "-isystem$gcc/include/c++"
           "-isystem$gcc/include/c++/x86_64-w64-mingw32" "-isystem$gcc/include/c++/backward"
           -isystem/usr/x86_64-w64-mingw32/include)
  args=()
  for header in "${headers[@]}"; do args+=("-extra-arg-before=$header"); done
  /usr/bin/python3 -c 'import json, sys; print("\n".join({e["file"] for e in json.load(open(sys.argv[1]))}))' \
    build/compile_commands.json > build-windows/tidy-linux.txt
  /usr/bin/python3 -c 'import json, sys
linux = set(open(sys.argv[2]).read().split())
print("\n".join(sorted({e["file"] for e in json.load(open(sys.argv[1]))} - linux)))' \
    build-windows/compile_commands.json build-windows/tidy-linux.txt > build-windows/tidy-only.txt
  tidy_units build-windows Windows-only build-windows/tidy-only.txt "${args[@]}"
  exit 0
fi

mapfile -t sources < <(git ls-files '*.h' '*.cpp')
((${#sources[@]} > 0)) || fail "no sources found: not a git checkout?"
echo "Checking the format of ${#sources[@]} files"
clang-format --dry-run --Werror "${sources[@]}"

echo "Running clang-tidy"
# Every translation unit of the build, tests included; headers come along through them.
tidy_units build Linux

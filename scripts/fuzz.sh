#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz and runs each for a bounded time
# (FUZZ_SECONDS, default 60). New inputs collect in build-fuzz/corpus/<target>; the kept seeds
# in fuzz/corpus/<target> are read but never written. A crash, leak or broken invariant fails
# the script and leaves the input in build-fuzz/findings/<target>/.
# Usage: scripts/fuzz.sh [TARGET...]   (default: every target)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
targets=("$@")
((${#targets[@]})) || targets=(record header language pipeline)

cmake --preset fuzz
cmake --build build-fuzz --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  findings=build-fuzz/findings/$t
  mkdir -p "$work" "$findings"
  log=build-fuzz/$t.log
  echo "Fuzzing $t for ${seconds}s"
  if ! "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
    echo "fuzz_$t found a problem; the input is in $findings:"
    tail -n 40 "$log"
    status=1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed "s/^/  $t: /" || true
  echo "  $t: $(find "$work" -type f | wc -l) inputs in the working corpus"
done
exit $status

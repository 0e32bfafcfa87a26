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

# Fuzzes one target; its lines are printed together once it ends.
fuzz_one() {
  local t=$1 work=build-fuzz/corpus/$1 findings=build-fuzz/findings/$1 log=build-fuzz/$1.log status=0
  mkdir -p "$work" "$findings"
  {
    echo "Fuzzing $t for ${seconds}s"
    if ! "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
          -max_len=65536 -print_final_stats=1 -artifact_prefix="$findings/" "$work" "fuzz/corpus/$t" >"$log" 2>&1; then
      echo "fuzz_$t found a problem; the input is in $findings:"
      tail -n 40 "$log"
      status=1
    fi
    grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$log" | sed "s/^/  $t: /" || true
    echo "  $t: $(find "$work" -type f | wc -l) inputs in the working corpus"
  } > "$log.summary"
  return $status
}

# As many targets at once as there are cores: each gets the whole time on one of them.
status=0
pids=()
names=()
for t in "${targets[@]}"; do
  fuzz_one "$t" &
  pids+=($!)
  names+=("$t")
  if ((${#pids[@]} >= $(nproc))) || [[ $t == "${targets[-1]}" ]]; then
    for i in "${!pids[@]}"; do
      wait "${pids[$i]}" || status=1
      cat "build-fuzz/${names[$i]}.log.summary"
    done
    pids=()
    names=()
  fi
done
exit $status

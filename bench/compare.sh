#!/usr/bin/env bash
# The medium survey job and four times it, in one run: frt2dxf-batch against ezdxf's r12writer
# doing the same work, and against the physical limit of writing the drawing's bytes (dd from
# memory into a new file). Prints medians and peak RSS. Every timed run writes a new file (the
# old one is removed, untimed, before); the last column times frt2dxf-batch replacing the
# drawing of the run before, which adds the file system's cost of a safe replace.
# With the Windows build and Wine at hand (WINDOWS_BUILD, default build-windows), the Windows
# converter's user CPU time under Wine is measured in the same run, with its ratio to ours.
#   bench/compare.sh [BUILD=build]     RUNS (default 5) and PEER_RUNS (default 3) set the counts.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
peer_runs=${PEER_RUNS:-3}
work=${WORK:-$build/bench-compare}
mkdir -p "$work"
batch=$build/batch/frt2dxf-batch
windows_batch=${WINDOWS_BUILD:-build-windows}/batch/frt2dxf-batch.exe
wine=/usr/lib/wine/wine64
with_wine=false
# Both converters are built from the sources as they are now: a Windows build left from an older
# commit would compare two different programs.
cmake --build "$build" --target frt2dxf-batch make_job >/dev/null
if [[ -f $windows_batch && -x $wine ]]; then
  cmake --build "$(dirname "$(dirname "$windows_batch")")" --target frt2dxf-batch >/dev/null
  with_wine=true
  export WINEPREFIX=${WINEPREFIX:-$PWD/$work/wineprefix} WINEDEBUG=-all
  # One server for all runs (it goes to the background): its start is not the converter's time.
  /usr/lib/wine/wineserver -p 2>/dev/null || true
  "$wine" wineboot -i >/dev/null 2>&1 || true
fi
labels=(--label point-id --label east-north --label height --label code)
wine_start=0

calc() { awk "BEGIN { printf \"%.6f\", $1 }"; }

# Runs a command N times after removing FILE (unless it is "-") and reading the job's input
# (warm cache: the host may have reclaimed it since the last run); prints the medians of the wall
# and the user-space CPU seconds (the program's own work, without the kernel's page cache) and
# the peak RSS in KiB.
measure() {
  local n=$1 file=$2; shift 2
  local runs=() rss=0
  for _ in $(seq "$n"); do
    [[ $file == - ]] || rm -f "$file"
    cat "${job:-/dev/null}" >/dev/null
    sync
    /usr/bin/time -f "%e %U %M" -o "$work/time.txt" "$@" >/dev/null 2>&1
    local wall user kb
    read -r wall user kb < <(tail -1 "$work/time.txt")
    runs+=("$wall $user")
    ((kb > rss)) && rss=$kb
  done
  local wall cpu
  wall=$(printf '%s\n' "${runs[@]}" | awk '{ print $1 }' | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  cpu=$(printf '%s\n' "${runs[@]}" | awk '{ print $2 }' | sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }')
  printf '%.2f %.2f %d\n' "$wall" "$cpu" "$rss"
}

if $with_wine; then
  # What Wine itself costs a run (loading its libraries, starting the process), measured with a
  # run that converts nothing; Windows has no such cost of its own.
  read -r _ wine_start _ < <(measure "$runs" - "$wine" "$windows_batch" --version)
  echo "Wine's start-up alone: $wine_start s of user CPU (frt2dxf-batch.exe --version)"
fi
printf '%-8s %10s %8s | %10s %7s %9s %9s | %10s %8s | %7s %8s | %10s | %10s\n' job "DXF MB" entities "frt2dxf s" \
  "user s" "RSS MB" "MB/s" "r12w s" "RSS MB" "dd s" "x dd" "replace s" "wine user"
declare -A ours replacing cpu dds
for scale in 1 4; do
  job=$work/job$scale.frt
  [[ -f $job ]] || "$build/bench/make_job" "$job" "$scale"
  out=$work/job$scale.dxf
  summary=$("$batch" "${labels[@]}" -o "$out" "$job")
  entities=$(sed -E 's/.*: ([0-9]+) entities.*/\1/' <<<"$summary")
  mb=$(( $(stat -c %s "$out") / 1048576 ))
  read -r t_ours c_ours rss_ours < <(measure "$runs" "$out" "$batch" -q "${labels[@]}" -o "$out" "$job")
  read -r t_replace _ _ < <(measure "$runs" - "$batch" -q "${labels[@]}" -o "$out" "$job")
  read -r t_dd _ _ < <(measure "$runs" "$work/dd.out" dd if=/dev/zero of="$work/dd.out" bs=1M count="$mb" status=none)
  rm -f "$work/dd.out"
  read -r t_peer _ rss_peer < <(measure "$peer_runs" "$work/peer.dxf" /usr/bin/python3 bench/r12writer_peer.py "$job" "$work/peer.dxf")
  rm -f "$work/peer.dxf"
  wine_user=-
  if $with_wine; then
    read -r _ c_wine _ < <(measure "$runs" "$out" "$wine" "$windows_batch" -q "${labels[@]}" -o "$out" "$job")
    wine_user="$c_wine ($(calc "$c_wine / $c_ours" | cut -c1-4)x, $(calc "($c_wine - $wine_start) / $c_ours" | cut -c1-4)x net)"
  fi
  ours[$scale]=$t_ours
  replacing[$scale]=$t_replace
  cpu[$scale]=$c_ours
  dds[$scale]=$t_dd
  printf '%-8s %10d %8d | %10.2f %7.2f %9.1f %9.0f | %10.2f %8.1f | %7.2f %8.1f | %10.2f | %10s   r12writer / frt2dxf: %.1fx\n' \
    "${scale}x" "$mb" "$entities" "$t_ours" "$c_ours" "$(calc "$rss_ours / 1024")" "$(calc "$mb / $t_ours")" \
    "$t_peer" "$(calc "$rss_peer / 1024")" "$t_dd" "$(calc "$t_ours / $t_dd")" "$t_replace" "$wine_user" \
    "$(calc "$t_peer / $t_ours")"
done
printf 'growth: 4x the input takes %.2fx the time (%.2fx when replacing) and %.2fx the user CPU time; dd takes %.2fx\n' \
  "$(calc "${ours[4]} / ${ours[1]}")" "$(calc "${replacing[4]} / ${replacing[1]}")" "$(calc "${cpu[4]} / ${cpu[1]}")" \
  "$(calc "${dds[4]} / ${dds[1]}")"
# What the options beyond the labels cost: hatches (a third pass), area labels, line names,
# attributes and extended data, on the 1x job. Its areas are random stars across the whole 40 km
# site: lines 100 m apart give each some hundreds, as a hatch 1 m apart gives a plot of 300 m.
every=("${labels[@]}" --label area --label line-name --hatch --hatch-spacing 100 --xdata --point-attributes)
job=$work/job1.frt
read -r t_every c_every rss_every < <(measure "$runs" "$work/every.dxf" "$batch" -q "${every[@]}" -o "$work/every.dxf" "$job")
printf '1x with every option on: %.2f s, %.2f s user, %.1f MB RSS, %d MB; %.2fx the labels alone\n' "$t_every" "$c_every" \
  "$(calc "$rss_every / 1024")" "$(( $(stat -c %s "$work/every.dxf") / 1048576 ))" "$(calc "$t_every / ${ours[1]}")"
rm -f "$work/every.dxf"
if $with_wine; then
  /usr/lib/wine/wineserver -k || true
fi

#!/usr/bin/env bash
# Builds and runs the benchmarks: the native ones with Google Benchmark (medians of 5
# repetitions, and the matcher's time over fnmatch's from those medians), then the scan over real
# windows and the early scans under wine64, on the x64 build. Not part of the test run.
set -eu
cd "$(dirname "$0")/.."
. tools/packages.sh
ensure_packages
cmake --preset native > /dev/null
cmake --build --preset native > /dev/null

# A counter's value in ns from Google Benchmark's console form (7.9ns, 1.2us, ...).
ns_per_pair() {
  awk -v name="$1" '$1 == name {
    for (i = 2; i <= NF; i++) if ($i ~ /^ns_per_pair=/) {
      v = substr($i, 13); unit = v; sub(/^[0-9.e+-]+/, "", unit); sub(/s$/, "", unit)
      scale = unit == "p" ? 0.001 : unit == "n" ? 1 : unit == "u" ? 1e3 : unit == "m" ? 1e6 : 1e9
      printf "%.2f", (v + 0) * scale
    } }'
}

for bench in build/native/bench/bench_*; do
  [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  out=$("$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_min_time=0.2 2>/dev/null | grep -E 'median|Benchmark|---')
  echo "$out"
  if [ "$(basename "$bench")" = bench_match_pattern ]; then
    matcher=$(ns_per_pair BM_MatchPattern_median <<< "$out")
    fnmatch=$(ns_per_pair BM_Fnmatch_median <<< "$out")
    [ -n "$matcher" ] && [ -n "$fnmatch" ] && awk -v m="$matcher" -v f="$fnmatch" 'BEGIN {
      printf "matcher to fnmatch, medians of this run: %.2f / %.2f ns per pair = %.2f\n", m, f, m / f }'
  fi
done
cmake --preset win64 > /dev/null
cmake --build --preset win64 --target bench_scan_wine > /dev/null
echo "== bench_scan_wine (wine64, x64)"
tools/wine-run build/win64/bench/win32/bench_scan_wine.exe "${BENCH_SAMPLES:-15}"
cmake --build --preset win64 --target bench_walk_calls > /dev/null
echo "== bench_walk_calls (wine64, x64): the questions of one accessibility walk, by kind"
tools/wine-run build/win64/bench/win32/bench_walk_calls.exe
cmake --build --preset win64 --target bench_early_scan > /dev/null
echo "== bench_early_scan (wine64, x64): reaction to a new dialog, and CPU while windows come and go"
tools/wine-run build/win64/bench_early_scan.exe "${BENCH_DIALOGS:-50}" "${BENCH_CPU_SECONDS:-60}"

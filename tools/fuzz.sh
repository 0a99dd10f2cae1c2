#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz, clang) and runs each for SECONDS (default 600), or
# only the TARGETs named (list_file, match_pattern), one after the other so that a second core
# stays free. Each starts from its seeds in tests/fuzz/corpus/TARGET, copied into
# build/fuzz/corpus/TARGET where the inputs it finds accumulate from run to run; the
# repository's corpus is never written. A finding is saved in build/fuzz/findings/TARGET/; once
# its fault is fixed, copy the file into the repository's corpus so that the native test run
# keeps replaying it. Exits 1 when anything was found.
set -u
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift $(($# > 0 ? 1 : 0))
case "$seconds" in
  '' | *[!0-9]*) echo "usage: tools/fuzz.sh [SECONDS [TARGET...]]" >&2; exit 2 ;;
esac

mkdir -p build
if ! cmake --preset fuzz > build/configure-fuzz.log 2>&1; then
  cat build/configure-fuzz.log
  echo "fuzz: configure failed"
  exit 1
fi
if ! cmake --build --preset fuzz > build/build-fuzz.log 2>&1; then
  tail -n 60 build/build-fuzz.log
  echo "fuzz: build failed"
  exit 1
fi

status=0

# Runs one target; prints its executions, coverage and findings.
run_target() {
  local target=$1 max_len=$2
  local work=build/fuzz/corpus/$target findings=build/fuzz/findings/$target
  local log=build/fuzz/$target.log marker=build/fuzz/$target.started
  mkdir -p "$work" "$findings"
  cp -n tests/fuzz/corpus/"$target"/* "$work"/
  touch "$marker"
  echo "$target: fuzzing for $seconds s"
  "build/fuzz/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$findings/" "$work" > "$log" 2>&1
  local rc=$?
  local executions coverage found
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  coverage=$(grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n 1)
  found=$(find "$findings" -type f -newer "$marker" | sort)
  echo "$target: ${executions:-?} executions, ${coverage:-no coverage line}," \
    "$(ls "$work" | wc -l) files in $work"
  if [ "$rc" -eq 0 ] && [ -z "$found" ]; then
    echo "$target: no findings"
    return
  fi
  status=1
  grep -E 'list file round trip|differs from|ERROR|SUMMARY|runtime error' "$log" | head -n 20
  echo "$target: exit status $rc; findings:"
  echo "${found:-  none written (see $log)}"
}

# The longest inputs worth trying: list files with lines beyond every field's capacity, and a
# pattern with a text longer than the scan's 1024-byte title buffer.
targets=${*:-list_file match_pattern}
for target in $targets; do
  case "$target" in
    list_file) run_target list_file 4096 ;;
    match_pattern) run_target match_pattern 2048 ;;
    *) echo "fuzz: no target $target"; status=1 ;;
  esac
done
exit $status

#!/usr/bin/env bash
# Builds both trees (native and win32) and runs every test; ends with one summary line.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
set -u
cd "$(dirname "$0")/.."
. tools/packages.sh

ensure_packages || { echo "tests: 0 passed, 1 failed (could not install the build packages)"; exit 1; }

mkdir -p build
passed=0
failed=0
status=0

# Runs one preset: configure, build, test. Adds ctest's counts to the totals.
run_preset() {
  local preset=$1 log=build/test-$1.log
  if ! cmake --preset "$preset" > "build/configure-$preset.log" 2>&1; then
    cat "build/configure-$preset.log"
    echo "$preset: configure failed"
    failed=$((failed + 1)); status=1; return
  fi
  if ! cmake --build --preset "$preset" > "build/build-$preset.log" 2>&1; then
    tail -n 60 "build/build-$preset.log"
    echo "$preset: build failed"
    failed=$((failed + 1)); status=1; return
  fi
  ctest --preset "$preset" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  [ "$rc" -eq 0 ] || status=1
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    failed=$((failed + 1)); status=1; return
  fi
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
  total=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

run_preset native
run_preset win32
tools/wine-run --stop build/win32

echo "tests: $passed passed, $failed failed"
exit $status

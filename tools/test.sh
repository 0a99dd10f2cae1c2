#!/usr/bin/env bash
# Builds every tree and runs every test; ends with one summary line,
# "tests: P passed, S skipped, F failed", counting the tests that ran. A test that skips itself
# (GTEST_SKIP, always with the reason) counts as skipped, not as passed, and is named above the
# summary. The line before the summary says which builds' tests ran.
# Installs the Debian packages it needs when they are missing (as root, or through sudo).
#
#   native  the platform-neutral core and its unit tests (system g++), with the fuzz corpora
#   asan    the same tests built with AddressSanitizer and UndefinedBehaviorSanitizer
#   win64   the x64 program, the Dutch module and the Windows tests, run under wine64
#   win32   the x86 program and the Dutch module; its tests run under 32-bit Wine only where the
#           kernel executes 32-bit code (BOXSWEEP_NO_WIN32=1 acts as if it did not)
set -u
cd "$(dirname "$0")/.."
. tools/packages.sh

ensure_packages || { echo "tests: 0 passed, 0 skipped, 1 failed (could not install the build packages)"; exit 1; }

mkdir -p build
passed=0
skipped=0
failed=0
skipped_names=()
status=0
tested=()

# configure PRESET and build it (all targets, or the ones named after it). Counts a failure.
build_preset() {
  local preset=$1
  shift
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  if ! cmake --preset "$preset" > "build/configure-$preset.log" 2>&1; then
    cat "build/configure-$preset.log"
    echo "$preset: configure failed"
    failed=$((failed + 1)); status=1; return 1
  fi
  if ! cmake --build --preset "$preset" "${targets[@]}" > "build/build-$preset.log" 2>&1; then
    tail -n 60 "build/build-$preset.log"
    echo "$preset: build failed"
    failed=$((failed + 1)); status=1; return 1
  fi
}

# Runs the tests of a built PRESET and adds ctest's counts to the totals.
test_preset() {
  local preset=$1 log=build/test-$1.log
  tested+=("$preset")
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
  # ctest counts a skipped test among the passed ones and lists it under "did not run".
  local name skips=0
  while read -r name; do
    skipped_names+=("$preset: $name")
    skips=$((skips + 1))
  done < <(sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \((Skipped|Disabled)\)$/\1/p' "$log")
  passed=$((passed + total - bad - skips))
  skipped=$((skipped + skips))
  failed=$((failed + bad))
}

build_preset native && test_preset native
# The same core tests under AddressSanitizer and UndefinedBehaviorSanitizer.
build_preset asan && test_preset asan

# The x86 build comes before the x64 tests: they load its dutch.dll into the x64 program and read
# its manifest.
runs32=0
machine_runs_32bit && runs32=1
if [ "$runs32" -eq 1 ]; then
  build_preset win32
else
  build_preset win32 boxsweep dutch
fi

build_preset win64 && test_preset win64
tools/wine-run --stop build/win64

note=""
if [ "$runs32" -eq 1 ]; then
  [ -f build/win32/CMakeCache.txt ] && test_preset win32
  tools/wine-run --stop build/win32
elif [ "${BOXSWEEP_NO_WIN32:-0}" = 1 ]; then
  note="; win32 tests not run: BOXSWEEP_NO_WIN32=1 (the x86 program was built only)"
else
  note="; win32 tests not run: this kernel runs no 32-bit code (the x86 program was built only)"
fi

for name in "${skipped_names[@]}"; do
  echo "skipped: $name (the reason is in its build's Testing/Temporary/LastTest.log)"
done
echo "tests ran for: ${tested[*]}$note"
echo "tests: $passed passed, $skipped skipped, $failed failed"
exit $status

#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the normal build, the same under
# AddressSanitizer and UndefinedBehaviorSanitizer, and the portable core built for 32-bit
# Intel and 32-bit PowerPC, run under qemu-user. Each build first writes its settings
# record, so every suite can check that it reads only its own processor's records.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
source tools/cross.sh
vantiro_install_deps
install_cross_deps
root=$(pwd)
jobs=$(nproc)
export VANTIRO_FOREIGN_RECORDS="$root/build-cross/records"

timed() {
  local label=$1 start
  shift
  start=$(date +%s)
  "$@"
  echo "-- $label: $(( $(date +%s) - start )) s"
}

echo "== Build =="
# Release, as users build it: -O3 brings warnings the other build types never see.
timed "native build" vantiro_build build -DCMAKE_BUILD_TYPE=Release
timed "sanitizer build" vantiro_build build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTIRO_SANITIZE=ON
timed "i686 build" cross_build i686
timed "powerpc build" cross_build powerpc

echo "== Settings records of every build =="
rm -rf build-cross/records
mkdir -p build-cross/records/x86_64
build/tests/write_settings_record build-cross/records/x86_64
cross_record i686
cross_record powerpc

# suite LABEL DIR [VAR=value ...]: runs one build's tests and keeps its counts.
passed=0
failed=0
suite() {
  local label=$1 dir=$2 start log
  shift 2
  start=$(date +%s)
  log=$(mktemp)
  (cd "$dir" && env "$@" ctest --output-on-failure -j"$jobs") 2>&1 | tee "$log"
  local status=${PIPESTATUS[0]}
  local line
  line=$(grep -E "tests passed, [0-9]+ tests failed out of [0-9]+" "$log" | tail -n 1)
  local total fail
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fail=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$(( passed + ${total:-0} - ${fail:-0} ))
  failed=$(( failed + ${fail:-0} ))
  rm -f "$log"
  echo "-- $label: $(( $(date +%s) - start )) s"
  return "$status"
}

echo "== Tests =="
status=0
suite "native tests" build || status=1
suite "sanitizer tests" build-asan ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan-suppressions.txt" || status=1
suite "i686 tests (emulated)" build-cross/i686 GTEST_DEATH_TEST_USE_FORK=1 || status=1
suite "powerpc tests (emulated)" build-cross/powerpc GTEST_DEATH_TEST_USE_FORK=1 || status=1
echo "all suites: $passed passed, $failed failed"
exit "$status"

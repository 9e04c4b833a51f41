#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in the normal build and
# once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
vantiro_install_deps
jobs=$(nproc)
root=$(pwd)

echo "== Build and test =="
vantiro_build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j"$jobs")

echo "== Build and test under AddressSanitizer and UndefinedBehaviorSanitizer =="
vantiro_build build-asan -DCMAKE_BUILD_TYPE=Debug -DVANTIRO_SANITIZE=ON
(cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1 \
  LSAN_OPTIONS=suppressions="$root/tests/lsan-suppressions.txt" \
  ctest --output-on-failure -j"$jobs")

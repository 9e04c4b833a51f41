#!/usr/bin/env bash
# Fuzzes the settings-file reader and the settings record decoder with libFuzzer.
#   tools/fuzz.sh [SECONDS]     (default 600)
# New inputs that widen coverage go to tests/fuzz/corpus; crashers to tests/fuzz/findings
# (copy them into tests/fuzz/regressions once fixed, so every test run replays them).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
out=build-fuzz
mkdir -p "$out" tests/fuzz/findings
command -v clang++ >/dev/null || { apt-get update -qq && apt-get install -y -qq -o DPkg::Lock::Timeout=600 clang; }
clang++ -std=c++20 -O1 -g -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  tests/fuzz/settings_fuzz.cpp platform/resources/ResourceFork.cpp platform/memory/Memory.cpp \
  model/DataHandling.cpp model/relrects.cpp -o "$out/settings_fuzz"
"$out/settings_fuzz" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=tests/fuzz/findings/ tests/fuzz/corpus

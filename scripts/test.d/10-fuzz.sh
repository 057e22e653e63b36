#!/usr/bin/env bash
# libFuzzer run of state-chunk loading on a fresh client, for about a minute. Any crash, leak
# or sanitizer report fails; the input that caused it is kept in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/../.."

CC=clang CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELLOX_SANITIZER=fuzzer -DVELLOX_BUILD_HOST_TEST=OFF -DVELLOX_BUILD_BENCH=OFF >/dev/null
cmake --build build/fuzz -j"$(nproc)" --target statechunk_fuzzer

# The working corpus grows from run to run; the committed seeds are valid chunks.
corpus=build/fuzz/corpus
artifacts=build/fuzz/artifacts
mkdir -p "$corpus" "$artifacts"
cp tests/fuzz/corpus/* "$corpus/"

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
  build/fuzz/tests/fuzz/statechunk_fuzzer -max_total_time=60 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$corpus"

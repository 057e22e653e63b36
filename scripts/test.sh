#!/usr/bin/env bash
# Every test of the project: the normal build, then the sanitizer builds.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc)

scripts/install-deps.sh

step() { echo; echo "==== $* ===="; }

step "build (GCC, warnings are errors)"
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-Werror" >/dev/null
cmake --build build/release -j"$jobs"
step "tests"
ctest --test-dir build/release --output-on-failure -j"$jobs"

step "build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DVELLOX_SANITIZER=address \
  -DVELLOX_BUILD_HOST_TEST=OFF -DCMAKE_CXX_FLAGS="-O1" >/dev/null
cmake --build build/asan -j"$jobs"
step "tests under ASan + UBSan"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build/asan --output-on-failure -j"$jobs"

for extra in scripts/test.d/*.sh; do
  [ -e "$extra" ] || continue
  step "$(basename "$extra" .sh)"
  bash "$extra"
done

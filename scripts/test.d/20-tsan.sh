#!/usr/bin/env bash
# ThreadSanitizer run of the tests that exercise several threads at once. Every such test has
# "Concurrent" in its suite or test name.
set -euo pipefail
cd "$(dirname "$0")/../.."
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLOX_SANITIZER=thread \
  -DVELLOX_BUILD_HOST_TEST=OFF -DVELLOX_BUILD_BENCH=OFF >/dev/null
cmake --build build/tsan -j"$(nproc)"
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/tsan -R Concurrent --output-on-failure -j"$(nproc)" --no-tests=error

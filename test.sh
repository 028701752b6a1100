#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests: the whole suite on the
# release build, a bounded fuzzing run of every parser, then the engine tests again
# under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

# Every parser is fuzzed for a bounded time.
tests/fuzz/run_fuzzers.sh

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=ON \
      -DVISTREL_WITH_GUI=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs")

#!/usr/bin/env bash
# Installs what is missing, builds everything and runs all tests: the whole suite on the
# release build, a bounded fuzzing run of the Exif/TIFF reader, then the engine tests again
# under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release -j "$jobs"
(cd build/release && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

# New crashes fail the run and leave their input in build/fuzz/crashes for a regression file.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ -DVISTREL_FUZZ=ON -DVISTREL_WITH_GUI=OFF >/dev/null
cmake --build build/fuzz --target exif_reader_fuzzer -j "$jobs"
seeds=$(mktemp -d)
trap 'rm -rf "$seeds"' EXIT
cp tests/fuzz/regressions/* "$seeds"/
if [[ -d ../shared/corpus ]]; then
  find ../shared/corpus -type f \( -iname '*.jpg' -o -iname '*.tif*' \) -exec cp {} "$seeds"/ \;
fi
rm -rf build/fuzz/crashes && mkdir -p build/fuzz/crashes
build/fuzz/tests/fuzz/exif_reader_fuzzer -max_total_time="${VISTREL_FUZZ_SECONDS:-60}" -max_len=65536 \
  -rss_limit_mb=2048 -artifact_prefix=build/fuzz/crashes/ "$seeds" 2>&1 | grep -E '^(Done|==|SUMMARY)' || true
[[ -z "$(ls -A build/fuzz/crashes)" ]] || { echo "the fuzzer found a crash: build/fuzz/crashes"; exit 1; }

cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVISTREL_SANITIZE=ON \
      -DVISTREL_WITH_GUI=OFF >/dev/null
cmake --build build/sanitize -j "$jobs"
(cd build/sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j "$jobs")

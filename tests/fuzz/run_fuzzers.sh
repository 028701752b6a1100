#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time, seeded with the
# saved regression inputs and, when present, the camera corpus. A crash, leak or hang fails the
# run and leaves its input in build/fuzz/crashes/ for a new regression file.
# Usage: tests/fuzz/run_fuzzers.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-${VISTREL_FUZZ_SECONDS:-45}}
jobs=$(nproc)

# target, regression-file prefix, corpus file patterns
targets=(
  "exif_reader_fuzzer||*.jpg *.jpeg *.tif *.tiff"
  "exif_update_fuzzer||*.jpg *.jpeg"
  "bmp_reader_fuzzer|bmp-|*.bmp"
  "raf_reader_fuzzer|raf-|*.raf"
  "tiff_reader_fuzzer|tiff-|*.tif *.tiff"
)

cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
      -DCMAKE_CXX_COMPILER=clang++ -DVISTREL_FUZZ=ON -DVISTREL_WITH_GUI=OFF >/dev/null
rm -rf build/fuzz/crashes && mkdir -p build/fuzz/crashes
for row in "${targets[@]}"; do
  IFS='|' read -r target prefix patterns <<< "$row"
  cmake --build build/fuzz --target "$target" -j "$jobs" >/dev/null
  seeds=$(mktemp -d)
  cp tests/fuzz/regressions/"$prefix"* "$seeds"/ 2>/dev/null || true
  if [[ -d ../shared/corpus ]]; then
    for pattern in $patterns; do
      find ../shared/corpus -path ../shared/corpus/expected -prune -o -type f -iname "$pattern" -print0 |
        xargs -0 -r cp -t "$seeds"/
    done
  fi
  echo "fuzzing $target for ${seconds}s"
  build/fuzz/tests/fuzz/"$target" -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=2048 \
    -artifact_prefix=build/fuzz/crashes/"$target"- "$seeds" 2>&1 | grep -E '^(Done|==[0-9]+==|SUMMARY)' || true
  rm -rf "$seeds"
done
if [[ -n "$(ls -A build/fuzz/crashes)" ]]; then
  echo "the fuzzers found failures:"; ls build/fuzz/crashes
  exit 1
fi

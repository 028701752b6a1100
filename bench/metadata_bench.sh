#!/usr/bin/env bash
# Metadata reading speed: vistrel-info --json against exiv2 -pa on the corpus JPEGs, each tool
# in one process over the same list of files (the list repeated until our tool works for at
# least 2 seconds). Prints the time per file of each and the ratio.
# Usage: bench/metadata_bench.sh [BUILD_DIR] [CORPUS_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
corpus=${2:-../shared/corpus}
info="$build/VistrelViewer/vistrel-info"
[[ -x "$info" ]] || { echo "build vistrel-info first ($info)"; exit 1; }
command -v exiv2 >/dev/null || { echo "installing exiv2 for the comparison"; apt-get install -y -qq exiv2 >/dev/null; }

mapfile -t files < <(find "$corpus" -path "$corpus/expected" -prune -o -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -print | sort)
[[ ${#files[@]} -gt 0 ]] || { echo "no JPEG files in $corpus"; exit 1; }

seconds() { local start end; start=$(date +%s.%N); "$@" >/dev/null 2>&1 || true; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

list=("${files[@]}")
while :; do
  t=$(seconds "$info" --json "${list[@]}")
  if (( $(echo "$t >= 2" | bc -l) )) || (( ${#list[@]} > 200000 )); then break; fi
  list+=("${list[@]}")
done
ours=$(seconds "$info" --json "${list[@]}")
theirs=$(seconds exiv2 -pa "${list[@]}")
n=${#list[@]}
printf 'files read: %d (%d distinct)\n' "$n" "${#files[@]}"
printf 'vistrel-info --json: %.1f us per file (%.2f s)\n' "$(echo "$ours * 1000000 / $n" | bc -l)" "$ours"
printf 'exiv2 -pa:           %.1f us per file (%.2f s)\n' "$(echo "$theirs * 1000000 / $n" | bc -l)" "$theirs"
printf 'ratio (exiv2 / vistrel-info): %.2f (goal: at least 2)\n' "$(echo "$theirs / $ours" | bc -l)"

#!/usr/bin/env bash
# Date change speed: vistrel-info --set-date against exiftool -overwrite_original
# -DateTimeOriginal=... on copies of the same 12-megapixel camera picture (4000 x 3000, about
# 5 MB, with the Exif segment of one of the maker's cameras: its maker note and thumbnail).
# Each update is one process of either tool, with a new date every time; our tool also flushes
# the new file and its folder to disk before it replaces the picture. Prints the time per
# update of each tool and the ratio. exiftool runs with -m: without it, it refuses to rewrite a
# picture whose maker note it does not know ("MakerNotes offsets may be incorrect").
# Usage: bench/exif_update_bench.sh [UPDATES] [BUILD_DIR] [CORPUS_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
updates=${1:-20}
build=${2:-build/release}
corpus=${3:-../shared/corpus}
info="$build/VistrelViewer/vistrel-info"
[[ -x "$info" ]] || { echo "build vistrel-info first ($info)"; exit 1; }
command -v exiftool >/dev/null || { echo "installing exiftool for the comparison"; apt-get install -y -qq libimage-exiftool-perl >/dev/null; }
command -v convert >/dev/null || { echo "installing ImageMagick to draw the picture"; apt-get install -y -qq imagemagick >/dev/null; }
camera="$corpus/maker/kv-vistrel6800zoom.jpg"
[[ -f "$camera" ]] || { echo "no camera picture at $camera"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The picture: drawn pixels, then the camera's Exif segment right after SOI (replacing the
# JFIF segment the drawing tool writes), as a camera lays its file out.
convert -size 4000x3000 -seed 7 plasma:fractal -attenuate 0.4 +noise Gaussian -quality 92 \
        -sampling-factor 2x1 "$work/drawn.jpg"
python3 - "$camera" "$work/drawn.jpg" "$work/picture.jpg" <<'EOF'
import sys

def segments(data):
    at = 2
    while at + 4 <= len(data) and data[at] == 0xFF and data[at + 1] != 0xDA:
        length = int.from_bytes(data[at + 2:at + 4], "big")
        yield data[at + 1], data[at:at + 2 + length]
        at += 2 + length

camera = open(sys.argv[1], "rb").read()
drawn = open(sys.argv[2], "rb").read()
exif = next(s for m, s in segments(camera) if m == 0xE1 and s[4:10] == b"Exif\0\0")
app0 = sum(len(s) for m, s in segments(drawn) if m == 0xE0)
open(sys.argv[3], "wb").write(drawn[:2] + exif + drawn[2 + app0:])
EOF
cp "$work/picture.jpg" "$work/ours.jpg"
cp "$work/picture.jpg" "$work/theirs.jpg"

date_of() { printf '2010:%02d:%02d 12:%02d:00' $(( $1 % 12 + 1 )) $(( $1 % 28 + 1 )) $(( $1 % 60 )); }
seconds() { local start end; start=$(date +%s.%N); "$@"; end=$(date +%s.%N); echo "$end - $start" | bc -l; }

run_ours() { for ((i = 0; i < updates; ++i)); do "$info" --set-date "$(date_of "$i")" "$work/ours.jpg" >/dev/null; done; }
run_theirs() {
  for ((i = 0; i < updates; ++i)); do
    exiftool -q -m -overwrite_original "-DateTimeOriginal=$(date_of "$i")" "$work/theirs.jpg" >/dev/null 2>&1
  done
}

ours=$(seconds run_ours)
theirs=$(seconds run_theirs)
last=$(date_of $(( updates - 1 )))
[[ $(exiftool -s -s -s -DateTimeOriginal "$work/ours.jpg") == "$last" ]] || { echo "our update did not land"; exit 1; }
[[ $(exiftool -s -s -s -DateTimeOriginal "$work/theirs.jpg") == "$last" ]] || { echo "exiftool's update did not land"; exit 1; }

printf 'picture: %s x %s, %d bytes; %d updates each\n' 4000 3000 "$(stat -c %s "$work/picture.jpg")" "$updates"
printf 'vistrel-info --set-date:                           %6.1f ms per update (%.2f s)\n' "$(echo "$ours * 1000 / $updates" | bc -l)" "$ours"
printf 'exiftool -m -overwrite_original -DateTimeOriginal=: %6.1f ms per update (%.2f s)\n' "$(echo "$theirs * 1000 / $updates" | bc -l)" "$theirs"
printf 'ratio (exiftool / vistrel-info): %.2f (goal: at least 5)\n' "$(echo "$theirs / $ours" | bc -l)"

#!/usr/bin/env bash
# Installs what is missing, builds VistrelViewer and starts it with the given arguments, or on
# the bundled demo camera card when there are none.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target VistrelViewer vistrel_strings vistrel-info qwtiff16
program=build/release/VistrelViewer/VistrelViewer
if [[ $# -eq 0 ]]; then
  exec "$program" "$(pwd)/build/release/VistrelViewer/Demo/DCIM/100_VIST"
fi
exec "$program" "$@"

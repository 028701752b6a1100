#!/usr/bin/env bash
# Installs what is missing, builds VistrelViewer and starts it with the given arguments.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target VistrelViewer vistrel_strings vistrel-info qwtiff16
exec build/release/VistrelViewer/VistrelViewer "$@"

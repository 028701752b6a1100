#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks the program folder, the link and the
# desktop files, then starts the installed program.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for path in lib/VistrelViewer/VistrelViewer lib/VistrelViewer/System/ZORStr.frs \
            lib/VistrelViewer/Resource/Services lib/VistrelViewer/Temporary \
            lib/VistrelViewer/Demo/DCIM/100_VIST/DSCF0001.JPG \
            include/vistrel/service.h \
            share/applications/vistrelviewer.desktop \
            share/icons/hicolor/scalable/apps/vistrelviewer.svg; do
  [[ -e "$prefix/$path" ]] || { echo "missing: $path"; exit 1; }
done
[[ -L "$prefix/bin/VistrelViewer" ]] || { echo "missing link: bin/VistrelViewer"; exit 1; }
"$prefix/bin/VistrelViewer" --version | grep -q '^VistrelViewer ' || { echo "installed program does not start"; exit 1; }
echo "install layout: 1 passed, 0 failed"

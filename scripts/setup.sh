#!/usr/bin/env bash
# Installs the Debian packages that VistrelViewer needs to build, run and test, when missing.
# Idempotent and quiet when nothing is missing. Runs apt as root directly, otherwise via sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev qt6-multimedia-dev
  libjpeg62-turbo-dev libturbojpeg0-dev libtiff-dev
  libavformat-dev libavcodec-dev libswscale-dev libavutil-dev libswresample-dev
  gstreamer1.0-plugins-good gstreamer1.0-plugins-bad gstreamer1.0-plugins-ugly gstreamer1.0-libav
  libsqlite3-dev libopencv-objdetect-dev opencv-data libudev-dev
  googletest libgtest-dev xvfb xauth xdotool imagemagick clang libclang-rt-14-dev python3
  libjpeg-turbo-progs libimage-exiftool-perl
  xdg-utils
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
else
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

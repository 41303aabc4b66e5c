#!/usr/bin/env bash
# Installs every Debian 12 package the two builds, the tests and the benchmarks need, and builds
# OpenEXR for the Win64 build (once per machine; scripts/build-mingw-openexr.sh).
set -euo pipefail
packages=(
  build-essential cmake ninja-build clang clang-format libclang-rt-14-dev
  libgtest-dev googletest libbenchmark-dev
  libopenexr-dev libopenimageio-dev openimageio-tools fonts-dejavu-core
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev libstb-dev
  wine wine64 xvfb xauth xdotool openbox imagemagick
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
bash "$(dirname "$0")/build-mingw-openexr.sh" > /dev/null

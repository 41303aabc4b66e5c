#!/usr/bin/env bash
# Builds Imath and OpenEXR as static mingw-w64 libraries for the Win64 build, from the Debian
# source packages of the versions the native build uses, and prints the install prefix.
# The prefix lives outside the build folders, keyed by the two source versions, so that a
# machine that built them once skips this (ZENITHRA_CACHE overrides ~/.cache/zenithra).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The source versions of the installed native packages (scripts/install-deps.sh puts them here).
imath_version=$(dpkg-query -W -f='${source:Version}' libimath-dev)
openexr_version=$(dpkg-query -W -f='${source:Version}' libopenexr-dev)
cache=${ZENITHRA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zenithra}
prefix=$cache/mingw-openexr-imath_${imath_version}-openexr_${openexr_version}
if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

log=$cache/mingw-openexr.log
mkdir -p "$cache"
{
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  # apt-get source needs a deb-src entry beside each deb entry (same URIs, suites, components).
  if ! apt-cache showsrc openexr 2> /dev/null | grep -qxF "Version: $openexr_version"; then
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        $SUDO tee /etc/apt/sources.list.d/zenithra-deb-src.sources > /dev/null
    elif [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb /deb-src /p' /etc/apt/sources.list |
        $SUDO tee /etc/apt/sources.list.d/zenithra-deb-src.list > /dev/null
    fi
    $SUDO apt-get -o DPkg::Lock::Timeout=600 update -q
  fi

  work=$(mktemp -d "$cache/mingw-openexr-work.XXXXXX")
  trap 'rm -rf "$work"' EXIT
  cd "$work"
  apt-get source --download-only -q "imath=$imath_version" "openexr=$openexr_version"
  # Unpacked with the Debian patches applied.
  dpkg-source -q -x imath_*.dsc imath
  dpkg-source -q -x openexr_*.dsc openexr

  common=(-G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_INSTALL_PREFIX="$prefix.partial" -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTING=OFF)
  rm -rf "$prefix.partial"
  cmake -S imath -B b-imath "${common[@]}"
  ninja -C b-imath install
  cmake -S openexr -B b-openexr "${common[@]}" -DCMAKE_PREFIX_PATH="$prefix.partial" \
    -DCMAKE_FIND_ROOT_PATH="/usr/x86_64-w64-mingw32;$prefix.partial" \
    -DOPENEXR_BUILD_TOOLS=OFF -DOPENEXR_INSTALL_TOOLS=OFF -DOPENEXR_INSTALL_EXAMPLES=OFF
  ninja -C b-openexr install
  touch "$prefix.partial/.complete"
  rm -rf "$prefix"
  mv "$prefix.partial" "$prefix"
} > "$log" 2>&1 || {
  tail -40 "$log" >&2
  echo "building OpenEXR for mingw-w64 failed; the whole log is $log" >&2
  exit 1
}
echo "$prefix"

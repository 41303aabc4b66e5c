#!/usr/bin/env bash
# Builds zenithra.dlt the way a developer with the published SDK does (-DZENITHRA_MAXSDK), from a
# folder laid out as the SDK's: the stand-in's headers as include/, and the standalone host's
# import library under the names of the SDK's libraries. Needs the Win64 build first.
set -euo pipefail
cd "$(dirname "$0")/.."
sdk="$PWD/build/maxsdk-standin"
rm -rf "$sdk"
mkdir -p "$sdk/lib/x64/Release"
ln -s "$PWD/sdk/include" "$sdk/include"
for lib in core maxutil paramblk2 maxscrpt geom assetmanagement; do
  cp build/win64/libzenhost.dll.a "$sdk/lib/x64/Release/$lib.lib"
done
cmake -S . -B build/maxsdk-check -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZENITHRA_MAXSDK="$sdk" > build/maxsdk-check.log 2>&1 ||
  { cat build/maxsdk-check.log; exit 1; }
ninja -C build/maxsdk-check
test -f build/maxsdk-check/bin/zenithra.dlt

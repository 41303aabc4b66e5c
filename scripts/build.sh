#!/usr/bin/env bash
# Configures and builds one of the project's builds: native (default), asan, tsan or win64.
set -euo pipefail
cd "$(dirname "$0")/.."
kind=${1:-native}
case "$kind" in
  native) args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
  asan)   args=(-DCMAKE_BUILD_TYPE=Debug -DZENITHRA_SANITIZE=address,undefined) ;;
  tsan)   args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DZENITHRA_SANITIZE=thread) ;;
  win64)  args=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake) ;;
  *) echo "usage: $0 [native|asan|tsan|win64]" >&2; exit 2 ;;
esac
cmake -S . -B "build/$kind" -G Ninja "${args[@]}" > "build-$kind.configure.log" 2>&1 ||
  { cat "build-$kind.configure.log"; exit 1; }
rm -f "build-$kind.configure.log"
ninja -C "build/$kind"

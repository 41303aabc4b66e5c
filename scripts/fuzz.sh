#!/usr/bin/env bash
# Fuzzes the scene chunk reader and the map's history chunks, then the EXR source reader, for a
# bounded time in all (default 60 s, half each) under AddressSanitizer + UndefinedBehaviorSanitizer,
# starting from scenes the native tests save and from small EXR files of every compression.
# Inputs that once crashed live in tests/fuzz/regressions and are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZENITHRA_FUZZ=ON -DZENITHRA_SANITIZE=address,undefined \
  -DZENITHRA_BUILD_TESTS=OFF > build-fuzz.configure.log 2>&1 ||
  { cat build-fuzz.configure.log; exit 1; }
rm -f build-fuzz.configure.log
ninja -C build/fuzz zenithra_fuzz_scene zenithra_fuzz_exr

corpus=build/fuzz/corpus
mkdir -p "$corpus" build/fuzz/artifacts
if [ -x build/native/bin/zenithra_unit_tests ]; then
  ZENITHRA_FUZZ_CORPUS="$PWD/$corpus" build/native/bin/zenithra_unit_tests \
    --gtest_filter='HistoryStoreTest.*' > /dev/null
fi
# Replay the kept crashes, then search for new ones.
if compgen -G "tests/fuzz/regressions/*" > /dev/null; then
  build/fuzz/bin/zenithra_fuzz_scene tests/fuzz/regressions/*
fi
build/fuzz/bin/zenithra_fuzz_scene -max_total_time=$((seconds / 2)) -max_len=65536 -timeout=10 \
  -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 "$corpus" tests/fuzz/regressions

# Scan lines and tiles, float and half, each compression.
exrs=build/fuzz/exr-corpus
mkdir -p "$exrs"
for compression in none rle zips zip piz pxr24 b44 dwaa; do
  oiiotool --pattern noise:type=uniform 37x21 3 -d float --compression $compression \
    -o "$exrs/scanlines-$compression.exr"
  oiiotool --pattern noise:type=uniform 37x21 3 -d half --tile 16 16 --compression $compression \
    -o "$exrs/tiles-$compression.exr"
done
# The frame-buffer reader may hold a header's claimed attribute size for a moment (under ASan,
# real memory), as may a claimed image size: the limit is the reader's own, not the fuzzer's.
build/fuzz/bin/zenithra_fuzz_exr -max_total_time=$((seconds - seconds / 2)) -max_len=65536 \
  -timeout=10 -rss_limit_mb=4096 -malloc_limit_mb=4096 -artifact_prefix=build/fuzz/artifacts/ \
  -print_final_stats=1 "$exrs" tests/data/exr

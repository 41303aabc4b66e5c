#!/usr/bin/env bash
# Fuzzes the scene chunk reader and the map's history chunks for a bounded time (default 60 s)
# under AddressSanitizer + UndefinedBehaviorSanitizer, starting from scenes the native tests
# save. Inputs that once crashed live in tests/fuzz/regressions and are replayed first.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DZENITHRA_FUZZ=ON -DZENITHRA_SANITIZE=address,undefined \
  -DZENITHRA_BUILD_TESTS=OFF > build-fuzz.configure.log 2>&1 ||
  { cat build-fuzz.configure.log; exit 1; }
rm -f build-fuzz.configure.log
ninja -C build/fuzz zenithra_fuzz_scene

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
build/fuzz/bin/zenithra_fuzz_scene -max_total_time="$seconds" -max_len=65536 -timeout=10 \
  -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1 "$corpus" tests/fuzz/regressions

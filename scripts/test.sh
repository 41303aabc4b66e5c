#!/usr/bin/env bash
# Runs the whole test suite: formatting, native tests, the same under AddressSanitizer with
# UndefinedBehaviorSanitizer and under ThreadSanitizer, a bounded fuzzing run of the scene
# chunks, and the Win64 tests under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
export CTEST_OUTPUT_ON_FAILURE=1

echo "== clang-format"
git ls-files -- '*.h' '*.cpp' | xargs clang-format --dry-run --Werror

echo "== the plug-in's strings are the host SDK's (MCHAR, MSTR, _M) outside src/platform"
# A u"" literal, not an _M() literal that ends in u (the u-axis names "u", "_u", "-u", ...).
if grep -rnP --include='*.h' --include='*.cpp' '(?<![\w"-])u"|char16_t|u16string' src \
    | grep -v '^src/platform/'; then
  exit 1
fi

for kind in native asan tsan; do
  echo "== $kind"
  bash scripts/build.sh "$kind"
  if [ "$kind" = tsan ]; then
    # Debian 12's kernel randomises mappings more than ThreadSanitizer of g++ 12 accepts.
    # The tool's render-job tests read its files back through OpenImageIO while OpenEXR's own
    # worker threads run, inside libraries not built with ThreadSanitizer, which then reports
    # their synchronisation as races; they run in the other two builds. The source maps' EXR
    # reader runs on threads of the program's own, which it sees.
    setarch "$(uname -m)" -R ctest --test-dir "build/$kind" -j2 -E 'RenderJobTest|SlotRows'
  else
    ctest --test-dir "build/$kind" -j2
  fi
done

echo "== fuzzing the scene chunks and EXR sources (ASan+UBSan, 60 s)"
bash scripts/fuzz.sh 60 > build/fuzz.log 2>&1 || { tail -40 build/fuzz.log; exit 1; }
grep -E "^stat::(number_of_executed_units|average_exec_per_sec)" build/fuzz.log

echo "== win64 (Wine)"
bash scripts/build.sh win64
WINEDEBUG=-all WINEPREFIX="$PWD/build/win64/wineprefix" xvfb-run -a -s '-screen 0 1920x1040x24' \
  ctest --test-dir build/win64

echo "== zenithra.dlt from an SDK folder (ZENITHRA_MAXSDK)"
bash scripts/check-maxsdk-build.sh

echo "== command-line tool"
check=build/native/tool-check
rm -rf "$check"
build/native/bin/zenithra render --out "$check/sky" --size 64x32 --slots 16 --quiet > /dev/null
# 16 slots, each an EXR and a preview, and the contact sheet; no temporary file left.
test "$(ls -A "$check/sky" | wc -l)" -eq 33
# Bad input: a non-zero exit and nothing written.
if build/native/bin/zenithra render "$check/missing.exr" --out "$check/bad" 2> /dev/null; then
  echo "zenithra rendered a missing source file" >&2
  exit 1
fi
test ! -e "$check/bad"
echo "all test stages passed"

#!/usr/bin/env bash
# Builds the native and the Windows (mingw-w64) presets and runs all tests:
# the native suites, again under the sanitizers (preset asan), each fuzz
# target for a minute (preset fuzz), then the Windows build's suites under
# Wine (on a host that cannot run 32-bit programs, those of the 64-bit build
# of the same sources).
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps

# Platform code stays in its own files: <windows.h> and _WIN32 only in *_win
# files, ui/win32/ and the add-in's DLL entry.
leaks=$(git grep -n -E '#[[:space:]]*include[[:space:]]*<windows\.h>|\b_WIN32\b' -- '*.cpp' '*.h' ':!*_win.cpp' ':!*_win.h' \
  ':!ui/win32/*' ':!monitor/win32/*' 2>/dev/null || true)
if [ -n "$leaks" ]; then
  echo "Platform code outside its seam files:"
  echo "$leaks"
  exit 1
fi

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs"
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j "$jobs"
# The Windows kit as users get it: build/win32/GlintKit-<version>-win32.zip.
cmake --build --preset win32 --target package

# run_ctest BUILD_DIR CTEST_COMMAND...: runs the ctest command line (maybe
# behind a wrapper) for BUILD_DIR and fails when a test fails, when none is
# found, and when one did not run: ctest counts a skipped (SKIP_RETURN_CODE)
# or disabled test as not run rather than failed, and its JUnit report names
# them. A GoogleTest skip already fails inside ctest (see GlintHelpers.cmake).
run_ctest() {
  local dir=$1
  shift
  local results=$PWD/$dir/ctest-results.xml rc=0
  rm -f "$results"
  "$@" --test-dir "$dir" --output-on-failure --no-tests=error --output-junit "$results" || rc=1
  if [ ! -s "$results" ]; then
    echo "ctest wrote no results for $dir"
    return 1
  fi
  local notrun
  notrun=$(sed -n -E 's/.*<testcase name="([^"]*)".*status="(notrun|disabled)".*/\1/p' "$results")
  if [ -n "$notrun" ]; then
    echo "Tests of $dir that did not run, which counts as failing:" $notrun
    rc=1
  fi
  return $rc
}

status=0
run_ctest build/native ctest -j "$jobs" || status=1
# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, any
# report fatal.
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
run_ctest build/asan ctest -j "$jobs" || status=1
# Each fuzz target for a minute over a copy of its seeds (fuzz/run-fuzzer.sh);
# a crash, leak, timeout or undefined behaviour fails it.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"
run_ctest build/fuzz ctest -j "$jobs" || status=1
# Tests of the Windows build run under Wine in a throw-away prefix on a
# virtual display; without Wine they cannot pass.
if ! command -v wine >/dev/null; then
  echo "wine is not installed: the Windows build's tests cannot run"
  exit 1
fi
. tests/wine/wine-arch.sh
windows=win32
if ! glint_host_runs_i386; then
  # The 32-bit modules were built above; this host cannot run them (some
  # refuse every 32-bit program), so the same sources built as 64-bit
  # programs take the Windows tests, under Wine's 64-bit loader.
  echo "This host cannot run 32-bit programs ($(/usr/lib/wine/wine --version 2>&1 | tail -n1))."
  echo "The Windows tests run on the 64-bit build of the same sources (preset win64)."
  windows=win64
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j "$jobs"
fi
glint_use_wine "$windows" "$PWD/build/$windows"
export WINEDEBUG=-all WINEPREFIX="$PWD/build/$windows/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
run_ctest "build/$windows" xvfb-run -a ctest || status=1
exit $status

#!/usr/bin/env bash
# Builds every preset and runs all tests: the native suites, again under the
# sanitizers (preset asan), each fuzz target for a minute (preset fuzz), and
# the Windows build's suites under Wine: the 32-bit modules where this host
# runs them, else the 64-bit build of the same sources (the log says which
# and why); the 32-bit kit is built either way.
#
# Compilers run through ccache (tools/build-env.sh), so a second clone on the
# same machine compiles little. Each suite runs in the background as soon as
# its build is done, beside the next builds, which run at a lower priority so
# Wine's windows are never starved; each stage's time is printed at the end.
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
command -v wine >/dev/null || { echo "wine is not installed: the Windows build's tests cannot run"; exit 1; }

. tests/wine/wine-arch.sh
glint_pick_windows_build
windows=$GLINT_WINDOWS
echo "$GLINT_WINDOWS_WHY"

. tools/build-env.sh
ccache -z >/dev/null

jobs=$(nproc)
logs=$PWD/build/logs
mkdir -p "$logs"
times=$logs/stage-times
: >"$times"
# stage NAME COMMAND...: runs COMMAND and records how long it took.
stage() {
  local name=$1 start=$SECONDS rc=0
  shift
  "$@" || rc=$?
  echo "$name $((SECONDS - start)) $rc" >>"$times"
  return $rc
}

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

# Compiling yields to the test stages that run beside it.
build() {
  cmake --preset "$1" >/dev/null && nice -n 10 cmake --build --preset "$1" -j "$jobs"
}

# The Windows kit as users get it: build/win32/GlintKit-<version>-win32.zip.
# Where the 32-bit modules cannot be tested here, only what the kit holds is
# built of them.
kit32() {
  if [ "$windows" = win32 ]; then
    cmake --build --preset win32 --target package
  else
    cmake --preset win32 -DGLINT_BUILD_TESTS=OFF >/dev/null &&
      nice -n 10 cmake --build --preset win32 -j "$jobs" --target glint_kit &&
      (cd build/win32 && cpack -G ZIP >/dev/null)
  fi
}

# Tests of the Windows build run under Wine in a throw-away prefix on a
# virtual display.
wine_suite() {
  glint_use_wine "$windows" "$PWD/build/$windows"
  export WINEDEBUG=-all WINEPREFIX="$PWD/build/$windows/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
  run_ctest "build/$windows" xvfb-run -a ctest
}

# lane NAME COMMAND...: runs a test stage in the background, its output in
# build/logs/NAME.log, while the next builds go on: the suites mostly wait
# (on Wine, on windows, on child programs) and leave the cores to the
# compilers.
lanes=()
lane() {
  local name=$1
  shift
  (stage "$name" "$@") >"$logs/$name.log" 2>&1 &
  lanes+=("$name:$!")
}
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT

start=$SECONDS
status=0
stage "$windows-build" build "$windows"
lane wine-tests wine_suite
stage native-build build native
lane native-tests run_ctest build/native ctest -j "$jobs"
stage win32-kit kit32 || status=1
# The same tests under AddressSanitizer and UndefinedBehaviorSanitizer, any
# report fatal.
stage asan-build build asan
lane asan-tests run_ctest build/asan ctest -j "$jobs"
# Each fuzz target for a minute over a copy of its seeds (fuzz/run-fuzzer.sh);
# a crash, leak, timeout or undefined behaviour fails it.
stage fuzz-build build fuzz
stage fuzz-tests run_ctest build/fuzz ctest -j "$jobs" || status=1
for entry in "${lanes[@]}"; do
  wait "${entry##*:}" || status=1
  echo "---- ${entry%%:*} (log $logs/${entry%%:*}.log)"
  cat "$logs/${entry%%:*}.log"
done
echo "$GLINT_WINDOWS_WHY"

echo "---- Stage times in seconds (wine-tests, native-tests and asan-tests ran beside the builds)"
awk '{ printf "%-14s %5d%s\n", $1, $2, $3 == 0 ? "" : "  FAILED" }' "$times"
echo "total          $((SECONDS - start))"
ccache -s | grep -E '^(Cacheable calls|  Hits|  Misses|Cache size)' || true
exit $status

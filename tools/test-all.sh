#!/usr/bin/env bash
# Builds the native and the Windows (mingw-w64) presets and runs all tests:
# the native suites, then the Windows build's suites under Wine.
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

status=0
ctest --test-dir build/native --output-on-failure -j "$jobs" || status=1
if command -v wine >/dev/null; then
  # Tests of the Windows build run under Wine in a throw-away prefix on a
  # virtual display.
  export WINEDEBUG=-all WINEPREFIX="$PWD/build/win32/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="
  xvfb-run -a ctest --test-dir build/win32 --output-on-failure || status=1
else
  echo "wine is not installed: the Windows build's tests were not run"
fi
exit $status

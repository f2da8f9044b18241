#!/usr/bin/env bash
# Builds the native and the Windows (mingw-w64) presets and runs all tests:
# the native suites, then the Windows build's suites under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps

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
  export WINEDEBUG=-all WINEPREFIX="$PWD/build/win32/wineprefix"
  xvfb-run -a ctest --test-dir build/win32 --output-on-failure || status=1
else
  echo "wine is not installed: the Windows build's tests were not run"
fi
exit $status

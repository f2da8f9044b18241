#!/usr/bin/env bash
# The main job: shows a sample leak report the way the monitor window does.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target glint
build/native/tools/glint/glint show "${1:-samples/inventory.gln}"

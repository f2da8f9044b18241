#!/usr/bin/env bash
# Ends what wine-setup.sh started: the prefix's wineserver and the private
# Xvfb. The prefix itself stays for inspection until the next run.
set -u
state=${1:?usage: wine-cleanup.sh STATE_DIR}
if [ -d "$state/prefix" ] && command -v wineserver >/dev/null; then
  WINEPREFIX="$state/prefix" wineserver -k 2>/dev/null
fi
if [ -f "$state/xvfb.pid" ]; then
  pid=$(cat "$state/xvfb.pid")
  kill "$pid" 2>/dev/null
  rm -f "$state/xvfb.pid"
fi
exit 0

#!/usr/bin/env bash
# Runs one Wine test command in the prefix and display wine-setup.sh
# prepared: wine-run.sh STATE_DIR COMMAND [ARGS...].
set -u
state=${1:?usage: wine-run.sh STATE_DIR COMMAND...}
shift
if [ ! -f "$state/display" ]; then
  echo "the Wine fixture did not run (test wine_setup)"
  exit 1
fi
. "$(dirname "$0")/wine-arch.sh"
glint_use_wine "$(cat "$state/arch")" "$state"
export WINEPREFIX="$state/prefix" WINEDEBUG=-all
export DISPLAY=$(cat "$state/display")
export WINEDLLOVERRIDES="mscoree,mshtml="
export GLINT_WINE_STATE="$state"
# Wine starts helper processes (the desktop's explorer.exe) on demand and
# they outlive the test; given ctest's pipe they would keep ctest waiting,
# so the command writes to a file that is shown afterwards.
log=$(mktemp "${TMPDIR:-/tmp}/glint-wine-test.XXXXXX")
"$@" >"$log" 2>&1 </dev/null
status=$?
cat "$log"
rm -f "$log"
exit $status

#!/usr/bin/env bash
# Prepares the Wine tests of one ctest run: a throw-away Wine prefix (32-bit,
# or 64-bit for the 64-bit build) with the fonts Wine ships, and a private
# Xvfb display (24-bit, so screenshots keep their colours), recorded under
# STATE_DIR for
# wine-run.sh. Fails, with the reason, when Wine or a display is missing: the
# Wine tests never pass by not running.
set -u
state=${1:?usage: wine-setup.sh STATE_DIR [win32|win64]}
arch=${2:-win32}
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-arch.sh"

# A previous run that was interrupted may have left its display behind.
bash "$here/wine-cleanup.sh" "$state" >/dev/null 2>&1
rm -rf "$state"
mkdir -p "$state"
echo "$arch" >"$state/arch"
glint_use_wine "$arch" "$state"

fail() {
  echo "$1"
  exit 1
}
command -v wine >/dev/null || fail "wine is not installed (apt-get install wine wine32:i386)"

if command -v Xvfb >/dev/null; then
  # -displayfd picks a free display number and writes it when ready.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$state/display.num" \
    </dev/null >"$state/xvfb.log" 2>&1 &
  echo $! >"$state/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$state/display.num" ] && break
    sleep 0.1
  done
  [ -s "$state/display.num" ] || fail "Xvfb did not start (see $state/xvfb.log)"
  echo ":$(tr -d '[:space:]' <"$state/display.num")" >"$state/display"
elif [ -n "${DISPLAY:-}" ]; then
  echo "$DISPLAY" >"$state/display"
else
  fail "no X display and no Xvfb (apt-get install xvfb)"
fi

export WINEPREFIX="$state/prefix" WINEDEBUG=-all DISPLAY=$(cat "$state/display")
# No Mono/Gecko prompts: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
start=$(date +%s)
if ! timeout 300 wineboot -i </dev/null >"$state/wineboot.log" 2>&1; then
  echo "wineboot failed:"
  cat "$state/wineboot.log"
  exit 1
fi
timeout 60 wineserver -w
# A virtual desktop: Wine then draws the windows' frames and captions itself
# (Xvfb has no window manager), as they look on Windows.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
  >>"$state/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
  >>"$state/wineboot.log" 2>&1
timeout 60 wineserver -w
bash "$here/wine-fonts.sh" || exit 1
timeout 60 wineserver -w
# One server for the whole run, started here with its output in a file, so
# no test's wine leaves a server holding that test's output open.
wineserver -p </dev/null >>"$state/wineboot.log" 2>&1
echo "Wine prefix $WINEPREFIX ready on display $DISPLAY in $(($(date +%s) - start)) s"

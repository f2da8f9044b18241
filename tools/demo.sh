#!/usr/bin/env bash
# The main job: shows a sample leak report the way the monitor window does.
# Builds the Windows modules, lays out the kit (Setup.exe beside
# GlintMonExpert4.dll and Glint.hlp), runs Setup.exe in a Wine prefix of its
# own to register the add-in, starts the IDE stand-in with the monitor open
# and sends the report with `glint send`. With a display the windows stay
# open until you close the stand-in; without one it runs on a private Xvfb,
# saves a screenshot and says where.
set -euo pipefail
cd "$(dirname "$0")/.."
bash .ci/install-deps

report=${1:-samples/inventory.gln}
[ -f "$report" ] || { echo "demo: no report to show ($report)"; exit 2; }
report=$(cd "$(dirname "$report")" && pwd)/$(basename "$report")

. tests/wine/wine-arch.sh
glint_pick_windows_build
preset=$GLINT_WINDOWS
echo "$GLINT_WINDOWS_WHY"
. tools/build-env.sh
cmake --preset $preset >/dev/null
cmake --build --preset $preset -j "$(nproc)" --target GlintHost glint GlintMonExpert4 Setup glint_help
build=$PWD/build/$preset
glint_use_wine $preset "$build"
host=$build/ide/host/GlintHost.exe
glint=$build/tools/glint/glint.exe
kit=$build/kit
mkdir -p "$kit"
cp "$build/monitor/win32/GlintMonExpert4.dll" "$build/setup/Setup.exe" "$build/help/Glint.hlp" "$kit/"
winpath() { echo "Z:${1//\//\\}"; }

export WINEPREFIX=$build/demo-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb=""
cleanup() {
  [ -n "${hostpid:-}" ] && kill "$hostpid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  true
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$build/demo-display" \
    </dev/null >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 100); do [ -s "$build/demo-display" ] && break; sleep 0.1; done
  export DISPLAY=":$(tr -d '[:space:]' <"$build/demo-display")"
fi

if [ ! -d "$WINEPREFIX" ]; then
  echo "Preparing the Wine prefix $WINEPREFIX ..."
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# Every run, so a prefix made before this step gets the caption glyphs too.
bash tests/wine/wine-fonts.sh

# The installer registers the add-in and says so in its box; OK closes it.
# It runs outside Wine's virtual desktop so xdotool can find its box.
wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
wineserver -k 2>/dev/null || true
wine "$kit/Setup.exe" >/dev/null 2>&1 &
setuppid=$!
box=$(timeout 60 xdotool search --sync --name '^Glint Monitor Registration$' 2>/dev/null | head -n1)
[ -n "$box" ] || { echo "demo: Setup.exe showed no message box"; exit 1; }
sleep 0.5
xdotool key --window "$box" Return 2>/dev/null
wait "$setuppid" || { echo "demo: Setup.exe failed"; exit 1; }
echo "Setup.exe registered $(winpath "$kit/GlintMonExpert4.dll")"

if [ -n "$xvfb" ]; then
  # Without a window manager Wine draws the window frames in a desktop of its
  # own; the desktop mode is chosen when the Wine server starts.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 /f \
    >/dev/null 2>&1
  wineserver -k 2>/dev/null || true
fi
wine "$host" --ide 4 --open-monitor &
hostpid=$!
sent=1
for _ in $(seq 450); do
  if wine "$glint" send "$report" 2>/dev/null; then sent=0; break; fi
  sleep 0.2
done
[ $sent = 0 ] || { echo "demo: the monitor window did not take $report"; exit 1; }
echo "Sent $report to the Glint Monitor."

if [ -n "$xvfb" ]; then
  sleep 2
  shot=$build/screenshots/demo-$(basename "$report" .gln).png
  mkdir -p "$(dirname "$shot")"
  import -display "$DISPLAY" -window root "$shot.full.png"
  convert "$shot.full.png" -crop 840x600+0+0 +repage "$shot"
  rm -f "$shot.full.png"
  echo "No display: the windows ran on a virtual one. Screenshot: $shot"
else
  echo "Close the Glint Host window to end the demo."
  wait "$hostpid" || true
  hostpid=""
fi

#!/usr/bin/env bash
# Screenshot of the IDE stand-in with the monitor showing a report:
# screenshot.sh REPORT OUTPUT.png [TITLE_COLUMN]. Runs inside wine-run.sh's
# environment (prefix and display set); needs GLINT_HOST_EXE, GLINT_EXE and
# GLINT_EXPERT_DLL_4 (host paths) and ImageMagick's import. With a title
# column (0-3) the grid is first sorted by a click on that title, done by
# GLINT_TITLE_CLICK_EXE.
set -euo pipefail
usage="usage: screenshot.sh REPORT OUTPUT.png [TITLE_COLUMN]"
report=${1:?$usage}
out=${2:?$usage}
title=${3:-}
[ -f "$report" ] || { echo "no report $report"; exit 1; }
command -v import >/dev/null || { echo "ImageMagick (import) is not installed"; exit 1; }
winpath() { echo "Z:${1//\//\\}"; }

wine reg add 'HKCU\Software\Borland\Delphi\4.0\Experts' /v GlintMonExpert /t REG_SZ \
  /d "$(winpath "$GLINT_EXPERT_DLL_4")" /f >/dev/null
# The monitor below the stand-in's menu bar, with room for the contents.
settings='HKCU\Software\Brackenware\Glint Monitor Expert'
for value in Top:130 Left:10 Width:820 Height:430 Col1:100 Col2:50 Col3:60 Col4:300; do
  wine reg add "$settings" /v "${value%%:*}" /t REG_SZ /d "${value#*:}" /f >/dev/null
done

wine "$GLINT_HOST_EXE" --ide 4 --open-monitor --quit-after 120 &
host=$!
trap 'kill $host 2>/dev/null; wait $host 2>/dev/null || true' EXIT
sent=1
for _ in $(seq 150); do
  if wine "$GLINT_EXE" send "$report" 2>/dev/null; then sent=0; break; fi
  sleep 0.2
done
[ $sent = 0 ] || { echo "the monitor did not take $report"; exit 1; }
if [ -n "$title" ]; then
  wine "${GLINT_TITLE_CLICK_EXE:?GLINT_TITLE_CLICK_EXE unset}" "$title" ||
    { echo "the title click on column $title failed"; exit 1; }
fi
sleep 2  # let both windows paint
mkdir -p "$(dirname "$out")"
import -display "$DISPLAY" -window root "$out.full.png"
# Just the two windows, without the empty desktop around them.
convert "$out.full.png" -crop 840x570+0+0 +repage "$out"
rm -f "$out.full.png"
echo "screenshot written to $out"

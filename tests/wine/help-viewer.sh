#!/usr/bin/env bash
# Glint.hlp in Wine's help viewer: help-viewer.sh HELP_FILE OUT_DIR. Opens the
# file at its contents page as the monitor's Help/Contents does, takes a
# screenshot of the viewer (OUT_DIR/help-contents.png), clicks the jump to
# "Sorting the rows" and takes another (OUT_DIR/help-sorting.png). Fails when
# the viewer shows an error box instead of the page, shows another page, or
# the jump does not open its topic. Runs inside wine-run.sh's environment
# (prefix and display set); needs GLINT_HELP_VIEW_EXE and ImageMagick.
set -euo pipefail
usage="usage: help-viewer.sh HELP_FILE OUT_DIR"
help=${1:?$usage}
out=${2:?$usage}
contents="Glint Monitor Help"  # the title of the contents page
[ -f "$help" ] || { echo "no help file $help"; exit 1; }
command -v import >/dev/null || { echo "ImageMagick (import) is not installed"; exit 1; }
view() { wine "${GLINT_HELP_VIEW_EXE:?GLINT_HELP_VIEW_EXE unset}" "$@"; }

trap 'view close || true' EXIT
mkdir -p "$out"
# The viewer that WinHelp starts inherits the standard output: into a pipe
# (as in $(...)) it would keep the shell waiting until the viewer ends.
view open "$help" "$contents" >"$out/help-viewer.rect"
read -r x y w h <"$out/help-viewer.rect"
rm -f "$out/help-viewer.rect"
shot() {
  sleep 1  # let the page paint
  import -display "$DISPLAY" -window root "$1.full.png"
  # Just the viewer window, without the empty desktop around it.
  convert "$1.full.png" -crop "${w}x${h}+${x}+${y}" +repage "$1"
  rm -f "$1.full.png"
  echo "screenshot written to $1"
}
shot "$out/help-contents.png"
view jump "Sorting the rows" "Sorting the rows"
shot "$out/help-sorting.png"
view close
trap - EXIT
echo "the viewer showed the contents page of $help and followed a jump"

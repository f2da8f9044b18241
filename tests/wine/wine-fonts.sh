#!/usr/bin/env bash
# Puts the fonts Wine ships (Debian's fonts-wine: Marlett, Tahoma, the .fon
# system fonts) into the prefix's C:\windows\Fonts and checks that Wine then
# lists Marlett: wine-fonts.sh. Runs with WINEPREFIX (and DISPLAY) set; exits 1
# with the reason otherwise.
#
# Debian's Wine 8 looks for these fonts only under "\usr\share\wine\../fonts",
# a path its own file layer rejects (the "/" inside a path component), and
# wineboot copies none into the prefix. Without Marlett the caption buttons
# show the letters "0 1 r" instead of the minimise, maximise and close
# glyphs. Wine loads every font in C:\windows\Fonts, so a copy there works
# whatever the Wine build.
set -u
: "${WINEPREFIX:?wine-fonts.sh needs WINEPREFIX}"

fonts=$WINEPREFIX/drive_c/windows/Fonts
mkdir -p "$fonts"
for dir in /usr/share/wine/fonts /usr/local/share/wine/fonts; do
  [ -f "$dir/marlett.ttf" ] && cp -u "$dir"/*.ttf "$dir"/*.fon "$fonts/"
done

# Wine traces each face it adds; a process that loads user32 builds the list.
# The trace goes to a file: a pipe would be held open by the desktop process
# Wine may start, which outlives the command.
trace=$(mktemp "${TMPDIR:-/tmp}/glint-wine-fonts.XXXXXX")
if ! WINEDEBUG=-all,+font wine cmd /c exit >"$trace" 2>&1 </dev/null; then
  echo "wine could not run cmd in $WINEPREFIX:"
  grep -v ':trace:' "$trace" | tail -n 5
  rm -f "$trace"
  exit 1
fi
found=$(grep -c 'Adding face L"Marlett"' "$trace")
rm -f "$trace"
if [ "$found" = 0 ]; then
  echo "Wine lists no Marlett font in $WINEPREFIX, so caption buttons would show letters" \
    "(apt-get install fonts-wine)"
  exit 1
fi

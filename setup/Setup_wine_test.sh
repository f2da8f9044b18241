#!/usr/bin/env bash
# Runs the real Setup.exe under Wine from a folder (with a space in its name)
# holding only a copy of the Delphi 4 add-in build, closes its message box, and
# checks with `wine reg query` that exactly the Delphi 4 "Experts" value and the
# two help-file values were written, with their exact data.
#
# Usage: Setup_wine_test.sh <Setup.exe> <GlintMonExpert4.dll to copy>
# Uses $DISPLAY when set, else starts its own Xvfb. Works in a throw-away
# WINEPREFIX that is removed afterwards. A missing tool is a failure.
set -u

setup_exe=${1:?usage: Setup_wine_test.sh <Setup.exe> <GlintMonExpert4.dll>}
addin_dll=${2:?usage: Setup_wine_test.sh <Setup.exe> <GlintMonExpert4.dll>}

for tool in wine wineserver winepath xdotool; do
  if ! command -v "$tool" >/dev/null; then
    echo "FAIL: $tool is not installed; the Wine test of Setup.exe needs it"
    exit 1
  fi
done
for f in "$setup_exe" "$addin_dll"; do
  [[ -f $f ]] || { echo "FAIL: no such file: $f"; exit 1; }
done

work=$(mktemp -d /tmp/glint-setup-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
setup_pid=
cleanup() {
  [[ -n $setup_pid ]] && kill "$setup_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

if [[ -z ${DISPLAY:-} ]]; then
  command -v Xvfb >/dev/null || fail "no DISPLAY and no Xvfb"
  for n in $(seq 90 120); do
    [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=:$n
    for _ in $(seq 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && break
      sleep 0.1
    done
    break
  done
  [[ -n $xvfb_pid ]] || fail "no free X display for Xvfb"
fi

kit="$work/Glint Kit"
mkdir -p "$kit"
cp "$setup_exe" "$kit/Setup.exe"
cp "$addin_dll" "$kit/GlintMonExpert4.dll"

wineboot -i >/dev/null 2>&1 || fail "wineboot could not create the prefix"

( cd "$work" && exec wine "$kit/Setup.exe" ) >/dev/null 2>&1 &
setup_pid=$!

# The message box is Setup's only window; Return presses its OK button.
box=$(timeout 60 xdotool search --sync --name '^Glint Monitor Registration$' 2>/dev/null | head -n1)
[[ -n $box ]] || fail "the message box \"Glint Monitor Registration\" did not appear"
xdotool key --window "$box" Return 2>/dev/null
for _ in $(seq 100); do
  kill -0 "$setup_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$setup_pid" 2>/dev/null; then
  fail "Setup.exe did not end after its message box was closed"
fi
wait "$setup_pid"
rc=$?
setup_pid=
[[ $rc -eq 0 ]] || fail "Setup.exe ended with exit code $rc"

dir=$(winepath -w "$kit" | tr -d '\r')
query() { wine reg query "$1" /s 2>/dev/null | tr -d '\r' | grep -v '^$'; }

expected_borland="HKEY_CURRENT_USER\\Software\\Borland\\Delphi
HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0
HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0\\Experts
    GlintMonExpert4    REG_SZ    $dir\\GlintMonExpert4.dll"
expected_brackenware="HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor
    HelpFile    REG_SZ    $dir\\Glint.hlp
HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor Expert
    HelpFile    REG_SZ    $dir\\Glint.hlp"

status=0
got=$(query 'HKCU\Software\Borland')
if [[ $got != "$expected_borland" ]]; then
  printf 'FAIL: HKCU\\Software\\Borland holds\n%s\nexpected\n%s\n' "$got" "$expected_borland"
  status=1
fi
got=$(query 'HKCU\Software\Brackenware')
if [[ $got != "$expected_brackenware" ]]; then
  printf 'FAIL: HKCU\\Software\\Brackenware holds\n%s\nexpected\n%s\n' "$got" "$expected_brackenware"
  status=1
fi
if wine reg query 'HKCU\Experts' >/dev/null 2>&1; then
  echo "FAIL: an \"Experts\" key was made directly under HKEY_CURRENT_USER"
  status=1
fi
[[ $status -eq 0 ]] && echo "PASS: Setup.exe registered the Delphi 4 add-in and the help file"
exit $status

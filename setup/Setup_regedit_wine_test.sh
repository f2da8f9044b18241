#!/usr/bin/env bash
# The registry file as Wine's own registry editor writes and reads it. Exports
# HKEY_CURRENT_USER of a fresh prefix (with values of every kind added) with
# `regedit /E`, runs the native Setup over that file (GLINT_REGISTRY_FILE), imports
# what Setup saved with `regedit /S` into a second fresh prefix, and checks with
# `reg query` that every value of the first prefix and Setup's own values are there.
#
# Usage: Setup_regedit_wine_test.sh <native Setup> [wine]
# [wine] is the loader to run (default: wine; a host that cannot run 32-bit code
# needs /usr/lib/wine/wine64). Needs no display.
set -u

setup=${1:?usage: Setup_regedit_wine_test.sh <native Setup> [wine]}
wine=${2:-wine}

fail() {
  echo "FAIL: $*"
  exit 1
}
command -v "$wine" >/dev/null || fail "wine is not installed ($wine); apt-get install wine"
command -v iconv >/dev/null || fail "iconv is not installed"
[[ -x $setup ]] || fail "no such program: $setup"

work=$(mktemp -d /tmp/glint-regedit-wine.XXXXXX)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[[ $wine == */wine64 ]] && export WINELOADER=$wine
cleanup() {
  for prefix in "$work/first" "$work/second"; do
    [[ -d $prefix ]] && WINEPREFIX=$prefix wineserver -k 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT

# The Windows name of a file under $work (Wine maps / to drive Z:).
windows_name() { printf 'Z:%s' "${1//\//\\}"; }

in_prefix() {
  local prefix=$1
  shift
  WINEPREFIX=$prefix timeout 300 "$wine" "$@"
}

new_prefix() {
  in_prefix "$1" wineboot -i >"$1.log" 2>&1 || fail "wineboot could not create $1 (see the log)"
  WINEPREFIX=$1 timeout 60 wineserver -w
}

# Every value as one line: its key's full name, a tab, then reg's line for it.
dump() {
  in_prefix "$1" reg query HKCU /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_/ { key = $0; print key; next }
    /^ / { print key "\t" $0 }' | LC_ALL=C sort -u
}

new_prefix "$work/first"
# Values of every kind the editor writes, text beyond ASCII included, in the editor's
# own encoding (UTF-16LE, CRLF). The text beyond ASCII is spelled as UTF-8 bytes here, so
# this file stays ASCII.
e_acute=$'\xc3\xa9' e_grave=$'\xc3\xa8' u_circ=$'\xc3\xbb' euro=$'\xe2\x82\xac'
globes=$'\xf0\x9f\x8c\x8e\xf0\x9f\x8c\x8f\xf0\x9f\x8c\x8d'
kinds() {
  sed -e "s/<e>/$e_acute/g; s/<e-grave>/$e_grave/g; s/<u-circ>/$u_circ/g; s/<euro>/$euro/g" \
    -e "s/<globes>/$globes/g; s/\$/\r/" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Glint Caf<e>]
@="Cr<e-grave>me br<u-circ>l<e>e, <euro>5 \"quoted\" \\ back"
"Count"=dword:0000002a
"Path"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,e9,00,00,00
"List"=hex(7):61,00,00,00,e9,00,00,00,00,00
"Quad"=hex(b):2a,00,00,00,00,00,00,00
"Nothing"=hex(0):
"Long binary"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29

[HKEY_CURRENT_USER\Software\Glint Caf<e>\Empty Key]

[HKEY_CURRENT_USER\Software\Glint Caf<e>\<globes>]
"Currencies"="USD"
EOF
}
{
  printf '\xff\xfe'
  kinds | iconv -f UTF-8 -t UTF-16LE
} >"$work/kinds.reg" || fail "iconv failed"
in_prefix "$work/first" regedit /S "$(windows_name "$work/kinds.reg")" ||
  fail "regedit could not import the values of every kind"
WINEPREFIX=$work/first timeout 60 wineserver -w
registry=$work/registry.reg
in_prefix "$work/first" regedit /E "$(windows_name "$registry")" HKEY_CURRENT_USER ||
  fail "regedit /E could not export HKEY_CURRENT_USER"
[[ -s $registry ]] || fail "regedit /E wrote no file"
dump "$work/first" >"$work/first.txt"
grep -q 'Glint Caf' "$work/first.txt" || fail "the values of every kind are not in the first prefix"

kit="$work/Glint Kit"
mkdir -p "$kit"
cp "$setup" "$kit/Setup"
echo MZ >"$kit/GlintMonExpert4.dll"
GLINT_REGISTRY_FILE=$registry "$kit/Setup" >"$work/setup.out" 2>&1
rc=$?
[[ $rc -eq 0 ]] || fail "Setup ended with exit code $rc: $(cat "$work/setup.out")"
[[ $(head -c 2 "$registry" | od -An -tx1 | tr -d ' ') == fffe ]] ||
  fail "Setup did not keep the file UTF-16LE with its byte order mark"

new_prefix "$work/second"
in_prefix "$work/second" regedit /S "$(windows_name "$registry")" ||
  fail "regedit /S could not import what Setup saved"
WINEPREFIX=$work/second timeout 60 wineserver -w
dump "$work/second" >"$work/second.txt"

status=0
missing=$(LC_ALL=C comm -23 "$work/first.txt" "$work/second.txt")
if [[ -n $missing ]]; then
  printf 'FAIL: %s lines of the first prefix are not in the second, the first ones:\n%s\n' \
    "$(wc -l <<<"$missing")" "$(head -n 20 <<<"$missing")"
  status=1
fi
tab=$'\t'
expected="HKEY_CURRENT_USER\\Software\\Borland\\Delphi\\4.0\\Experts$tab    GlintMonExpert4    REG_SZ    $kit/GlintMonExpert4.dll
HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor$tab    HelpFile    REG_SZ    $kit/Glint.hlp
HKEY_CURRENT_USER\\Software\\Brackenware\\Glint Monitor Expert$tab    HelpFile    REG_SZ    $kit/Glint.hlp"
while IFS= read -r line; do
  grep -qxF "$line" "$work/second.txt" || {
    echo "FAIL: Setup's value is not in the second prefix: $line"
    status=1
  }
done <<<"$expected"
[[ $status -eq 0 ]] &&
  echo "PASS: $(wc -l <"$work/first.txt") lines of HKEY_CURRENT_USER and Setup's values came through"
exit $status

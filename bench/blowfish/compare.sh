#!/usr/bin/env bash
# Blowfish speed natively and in the Windows build under Wine, side by side, on this machine:
# per mode on 1 MiB, the native blowfish_bench's TBlowfish figure, then blowfish_timing
# natively and under Wine, each with its ratio to its own build's block-by-block path
# measured in the same run, and the Windows figure over the native one.
#
# Builds nothing: build the native preset and the Windows one first. The Windows build is
# win32 where this host runs 32-bit programs under Wine, else win64 (the same sources as
# 64-bit code), as tools/test-all.sh chooses; `compare.sh win64` picks one. Other work on the machine
# disturbs the figures: blowfish_timing keeps each case's fastest run, blowfish_bench gives
# its mean over CPU time; both vary most for the serial modes.
set -euo pipefail
cd "$(dirname "$0")/../.."
. tests/wine/wine-arch.sh

windows=${1:-}
if [ -z "$windows" ]; then
  glint_pick_windows_build
  windows=$GLINT_WINDOWS
fi
bench=build/native/bench/blowfish/blowfish_bench
native=build/native/bench/blowfish/blowfish_timing
wintiming=build/$windows/bench/blowfish/blowfish_timing.exe
for f in "$bench" "$native" "$wintiming"; do
  if [ ! -x "$f" ]; then
    echo "compare.sh: $f is missing; build the native and $windows presets first" >&2
    exit 1
  fi
done
command -v wine >/dev/null || { echo "compare.sh: wine is not installed" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) cores"
[ -n "${GLINT_WINDOWS_WHY:-}" ] && echo "$GLINT_WINDOWS_WHY"

"$bench" --benchmark_filter='^Glint/[A-Za-z]+/1048576' --benchmark_out="$tmp/bench.csv" \
  --benchmark_out_format=csv >/dev/null 2>&1
"$native" >"$tmp/native.txt"
(
  glint_use_wine "$windows" "$PWD/build/$windows"
  export WINEPREFIX="$PWD/build/$windows/wineprefix" WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  wine "$wintiming" >"$tmp/windows.txt" 2>"$tmp/wine.log" </dev/null
) || { echo "compare.sh: $wintiming failed under Wine:" >&2; cat "$tmp/wine.log" >&2; exit 1; }
# Wine writes the console's line ends.
sed -i 's/\r$//' "$tmp/windows.txt"

echo "Kernels: native $(sed -n 's/^kernel: //p' "$tmp/native.txt"), $windows $(sed -n 's/^kernel: //p' "$tmp/windows.txt")"
echo
awk -v win="$windows" '
  FILENAME ~ /bench.csv$/ {
    # "Glint/EcbEnc/1048576/min_time:0.100",iterations,real,cpu,unit,bytes_per_second,...
    if ($0 ~ /^"Glint\//) {
      split($1, name, "/")
      bench[name[2]] = $6 / 1e6
    }
    next
  }
  FILENAME ~ /native.txt$/ && NF == 4 && $4 ~ /x$/ { nbulk[$1] = $2; nratio[$1] = $4; order[++n] = $1; next }
  FILENAME ~ /native.txt$/ && $1 == "KeySetup" { nkeys = $2; next }
  FILENAME ~ /windows.txt$/ && NF == 4 && $4 ~ /x$/ { wbulk[$1] = $2; wratio[$1] = $4; next }
  FILENAME ~ /windows.txt$/ && $1 == "KeySetup" { wkeys = $2; next }
  END {
    printf "%-8s %14s | %12s %10s | %12s %10s | %12s\n", "MB/s", "blowfish_bench", \
      "native", "vs block", win " (Wine)", "vs block", win "/native"
    for (i = 1; i <= n; ++i) {
      m = order[i]
      printf "%-8s %14.1f | %12.1f %10s | %12.1f %10s | %11.2fx\n", m, bench[m], \
        nbulk[m], nratio[m], wbulk[m], wratio[m], wbulk[m] / nbulk[m]
    }
    printf "%-8s %14s | %12d %10s | %12d %10s | %11.2fx\n", "keys/s", "", nkeys, "", \
      wkeys, "", wkeys / nkeys
  }
' FS=',' "$tmp/bench.csv" FS=' ' "$tmp/native.txt" "$tmp/windows.txt"

#!/usr/bin/env bash
# bfc's files against the openssl command: random data, keys and IVs, sizes around the
# chunk and kernel boundaries, CBC and ECB, each side decrypting the other's output, the
# cipher texts byte-identical. Usage: openssl-interop.sh [RUNNER...] BFC, where RUNNER is
# what starts BFC (wine for the Windows build's bfc.exe). Exits 1 on the first difference,
# and when openssl is missing or cannot do Blowfish: the check never passes by not running.
set -uo pipefail
if [ $# -lt 1 ]; then
  echo "usage: openssl-interop.sh [RUNNER...] BFC" >&2
  exit 2
fi
bfc=("$@")
# The program by its full name: the checks run in a folder of their own.
bfc[-1]=$(realpath -- "${bfc[-1]}") || exit 1

fail() {
  echo "FAILED: $*"
  exit 1
}

command -v openssl >/dev/null || fail "the openssl command is missing"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# Relative names inside the folder: Wine maps them through the working directory.
cd "$dir" || exit 1

# Blowfish sits in OpenSSL 3's legacy provider.
probe=(enc -bf-cbc -K 00112233445566778899AABBCCDDEEFF -iv 0000000000000000 -nosalt)
if echo x | openssl "${probe[@]}" -provider legacy -provider default >/dev/null 2>&1; then
  providers=(-provider legacy -provider default)
elif echo x | openssl "${probe[@]}" >/dev/null 2>&1; then
  providers=()
else
  fail "this openssl cannot do Blowfish (it needs OpenSSL's legacy provider)"
fi

checked=0
for mode in cbc ecb; do
  for size in 0 1 7 8 9 511 4095 4096 4097 10000 65539; do
    what="$mode, $size bytes"
    # OpenSSL's Blowfish takes a 16-byte key from -K.
    key=$(openssl rand -hex 16)
    iv=$(openssl rand -hex 8)
    head -c "$size" /dev/urandom >plain
    ours=(--mode "$mode" --key-hex "$key")
    theirs=(-K "$key" -nosalt "${providers[@]}")
    if [ "$mode" = cbc ]; then
      ours+=(--iv-hex "$iv")
      theirs+=(-iv "$iv")
    fi
    "${bfc[@]}" encrypt "${ours[@]}" plain ours >log 2>&1 || fail "bfc encrypt, $what: $(cat log)"
    openssl enc -e "-bf-$mode" "${theirs[@]}" -in plain -out theirs || fail "openssl -e, $what"
    cmp -s ours theirs || fail "the cipher texts differ, $what"
    openssl enc -d "-bf-$mode" "${theirs[@]}" -in ours -out back || fail "openssl -d, $what"
    cmp -s back plain || fail "openssl does not decrypt bfc's file back, $what"
    "${bfc[@]}" decrypt "${ours[@]}" theirs mine >log 2>&1 || fail "bfc decrypt, $what: $(cat log)"
    cmp -s mine plain || fail "bfc does not decrypt openssl's file back, $what"
    checked=$((checked + 1))
  done
done
echo "bfc and openssl agree on all $checked files"

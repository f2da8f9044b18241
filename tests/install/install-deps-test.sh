#!/usr/bin/env bash
# The install step (.ci/install-deps) against stand-ins for apt-get, dpkg and
# dpkg-query on PATH that keep their "installed" packages in a folder:
# install-deps-test.sh SOURCE_DIR. Each case sets how the stand-ins fail and
# what the kernel is said to run, then checks the exit status, what was
# installed and what the log says.
set -u
src=${1:?usage: install-deps-test.sh SOURCE_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir -p "$bin"

# dpkg-query -W -f=... PKG: installed when PKG has a file in $STUB/installed.
cat >"$bin/dpkg-query" <<'STUB'
#!/bin/sh
for p; do :; done
[ -e "$STUB/installed/$p" ] && { printf 'install ok installed'; exit 0; }
echo "dpkg-query: no packages found matching $p" >&2
exit 1
STUB
cat >"$bin/dpkg" <<'STUB'
#!/bin/sh
case $1 in
  --print-foreign-architectures) cat "$STUB/archs" 2>/dev/null ;;
  --add-architecture) echo "$2" >>"$STUB/archs" ;;
esac
STUB
# apt-get update fails on $STUB/bad-index the way a mirror mid-sync does;
# apt-get install refuses any package listed in $STUB/broken.
cat >"$bin/apt-get" <<'STUB'
#!/bin/sh
echo "apt-get $*" >>"$STUB/calls"
case " $* " in
  *" update "*)
    [ -s "$STUB/bad-index" ] || exit 0
    echo "E: Failed to fetch $(cat "$STUB/bad-index")  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100 ;;
esac
sim=0 pkgs=""
for a; do
  case $a in install) ;; -s) sim=1 ;; -*) ;; *) pkgs="$pkgs $a" ;; esac
done
for p in $pkgs; do
  if grep -qx "$p" "$STUB/broken" 2>/dev/null; then
    echo "E: Unable to correct problems, you have held broken packages." >&2
    exit 100
  fi
done
[ $sim = 1 ] && exit 0
for p in $pkgs; do touch "$STUB/installed/$p"; done
STUB
printf '#!/bin/sh\nexec "$@"\n' >"$bin/sudo"
chmod +x "$bin"/*

# The packages the run needs, read from the script itself.
needed=$(sed -n '/^packages=(/,/^)/p' "$src/.ci/install-deps" | sed '1d;$d')
failures=0

# run_case NAME I386 SETUP... -- EXPECT...: SETUP are shell lines run in the
# stand-ins' folder before install-deps; EXPECT are checks, each a shell test
# with $rc (exit status), $out (the log) and $STUB.
run_case() {
  local name=$1 i386=$2
  shift 2
  export STUB=$work/$name
  mkdir -p "$STUB/installed"
  while [ "$1" != -- ]; do (cd "$STUB" && eval "$1"); shift; done
  shift
  local out rc
  out=$(PATH="$bin:$PATH" GLINT_HOST_RUNS_I386=$i386 GLINT_APT_PAUSE=0 \
    bash "$src/.ci/install-deps" 2>&1) && rc=0 || rc=$?
  local check ok=1
  for check; do
    if ! (export rc out; eval "$check"); then
      echo "FAIL $name: $check"
      ok=0
    fi
  done
  if [ $ok = 1 ]; then echo "ok   $name"; else
    failures=$((failures + 1))
    echo "---- log of $name (exit $rc):"; echo "$out"; echo "----"
  fi
}
all_needed() { local p; for p in $needed; do [ -e "$STUB/installed/$p" ] || return 1; done; }

run_case mirror-mid-sync 0 \
  'echo http://deb.example/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz >bad-index' -- \
  '[ $rc = 0 ]' all_needed \
  '[ "$(grep -c update "$STUB/calls")" = 3 ]' \
  'grep -q "Indexes left out" <<<"$out"' \
  'grep -q "bookworm-security/main/binary-i386/Packages.xz (File has unexpected size" <<<"$out"'

run_case package-broken 0 'echo libbenchmark-dev >broken' -- \
  '[ $rc = 1 ]' \
  'grep -q "^Cannot install libbenchmark-dev;" <<<"$out"'

run_case wine32-broken 1 'echo wine32:i386 >broken' -- \
  '[ $rc = 0 ]' all_needed \
  'grep -qx i386 "$STUB/archs"' \
  '[ ! -e "$STUB/installed/wine32:i386" ]' \
  'grep -q "^Cannot install wine32:i386 .*64-bit build" <<<"$out"'

run_case host-refuses-i386 0 -- \
  '[ $rc = 0 ]' all_needed \
  '! grep -q wine32 "$STUB/calls"' \
  '[ ! -e "$STUB/archs" ]'

run_case host-runs-i386 1 -- \
  '[ $rc = 0 ]' all_needed \
  '[ -e "$STUB/installed/wine32:i386" ]'

# Nothing missing: no apt-get at all.
run_case all-present 1 'for p in '"$(echo $needed)"' wine32:i386; do touch installed/$p; done' -- \
  '[ $rc = 0 ]' '[ ! -e "$STUB/calls" ]'

# Which Windows build the tests then run on, and the reason given.
pick() {
  (PATH="$bin:$PATH" STUB=$work/$1 GLINT_HOST_RUNS_I386=$2
   . "$src/tests/wine/wine-arch.sh"; glint_pick_windows_build; echo "$GLINT_WINDOWS $GLINT_WINDOWS_WHY")
}
for c in "wine32-broken 1 win64 Wine's 32-bit half (wine32:i386) is not installed" \
         "host-refuses-i386 0 win64 kernel refuses 32-bit" \
         "host-runs-i386 1 win32 runs 32-bit programs and Wine's 32-bit half"; do
  read -r name i386 want why <<<"$c"
  got=$(pick "$name" "$i386")
  if [ "${got%% *}" = "$want" ] && grep -qF "$why" <<<"$got"; then echo "ok   pick $name"; else
    echo "FAIL pick $name: $got"; failures=$((failures + 1)); fi
done

[ $failures = 0 ]

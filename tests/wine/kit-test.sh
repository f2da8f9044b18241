#!/usr/bin/env bash
# Makes the kit's ZIP with CPack from a built Windows tree, unpacks it into a
# fresh folder whose name holds a space, checks that every file of the kit is
# there and runs the kit test program against it.
# Usage: kit-test.sh CPACK BUILD_DIR TEST_EXE (inside wine-run.sh).
set -u
cpack=${1:?usage: kit-test.sh CPACK BUILD_DIR TEST_EXE}
build=${2:?usage: kit-test.sh CPACK BUILD_DIR TEST_EXE}
test_exe=${3:?usage: kit-test.sh CPACK BUILD_DIR TEST_EXE}
fail() {
  echo "FAIL: $*"
  exit 1
}

work=${GLINT_WINE_STATE:?run through wine-run.sh}/kit-test
rm -rf "$work"
mkdir -p "$work/package" "$work/Glint Kit"
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack could not make the kit"; }
zips=("$work/package"/GlintKit-*.zip)
[[ -f ${zips[0]} ]] || fail "cpack wrote no GlintKit ZIP"
(cd "$work/Glint Kit" && cmake -E tar xf "${zips[0]}") || fail "cannot unpack ${zips[0]}"
kit=$(echo "$work/Glint Kit"/GlintKit-*)
[[ -d $kit ]] || fail "the ZIP has no GlintKit folder"
for file in Setup.exe GlintMonExpert2.dll GlintMonExpert3.dll GlintMonExpert4.dll d4_bfc.dll \
    c3_bfc.dll Duplicator.dll Glint.hlp ReadMe.txt; do
  [[ -f $kit/$file ]] || fail "the kit has no $file"
done
GLINT_KIT_DIR=$kit wine "$test_exe"

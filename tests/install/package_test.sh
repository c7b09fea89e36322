#!/usr/bin/env bash
# Makes the .deb with cpack, then checks it: the installed layout (man pages and changelog
# compressed, as Debian wants), Depends worked out from the shared libraries, section games,
# and no error from lintian.
#   package_test.sh BUILD_DIR WORK_DIR PREFIX EXPECTED_LIST MANDIR DOCDIR
set -uo pipefail

build=$1
work=$2
prefix=$3
expected=$4
mandir=$5
docdir=$6

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work"
(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log" 2>&1) ||
  fail "cpack failed: $(cat "$work/cpack.log")"
deb=$(ls "$work"/kelvane_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no package made: $(cat "$work/cpack.log")"

# The layout: the staged install's file list, with the pages and the changelog compressed and
# the game in games/ (kelvane-solve, a command, stays in bin/).
sed -e "s|^\($mandir/.*\)$|\1.gz|" -e "s|^bin/kelvane$|games/kelvane|" "$expected" >"$work/expected.txt"
echo "$docdir/changelog.gz" >>"$work/expected.txt"
sed -i "s|^|${prefix#/}/|" "$work/expected.txt"
LC_ALL=C sort -o "$work/expected.txt" "$work/expected.txt"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort >"$work/files.txt"
diff -u "$work/expected.txt" "$work/files.txt" || fail "the package's files differ from the layout"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6-sqlite; do
  echo "$depends" | grep -q "\b$library\b" || fail "Depends lacks $library: $depends"
done
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section is not games"
# Read whole before matching: under pipefail, grep -q leaving early made dpkg-deb die of a
# broken pipe now and then, and the check fail with it.
description=$(dpkg-deb -f "$deb" Description)
grep -q "probability engine" <<<"$description" || fail "no description: $description"

lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1
rc=$?
cat "$work/lintian.txt"
[ "$rc" -eq 0 ] || fail "lintian reports errors"
! grep -q '^E: ' "$work/lintian.txt" || fail "lintian reports errors"
echo "PASS: $(basename "$deb"), $(stat -c %s "$deb") bytes"

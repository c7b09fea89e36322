#!/usr/bin/env bash
# Stages an install with DESTDIR, compares its files with the layout, validates the desktop
# entry, the metainfo and the man pages, then runs the staged programs from another folder
# with a fresh HOME: the game under Xvfb (settings must land in HOME/.config/kelvane, nothing
# beside the executable) and kelvane-solve on a position (through the staged engine).
#   install_test.sh BUILD_DIR WORK_DIR PREFIX EXPECTED_LIST BINDIR APP_ID WM_CLOSE TOOLDIR
set -uo pipefail

build=$1
work=$2
prefix=$3
expected=$4
bindir=$5
app_id=$6
wm_close=$7
tooldir=$8

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

if [ -z "${KELVANE_INSTALL_INSIDE:-}" ]; then
  rm -rf "$work"
  mkdir -p "$work/stage" "$work/elsewhere" "$work/home" "$work/runtime"
  chmod 700 "$work/runtime"
  DESTDIR="$work/stage" cmake --install "$build" >"$work/install.log" ||
    fail "cmake --install failed: $(cat "$work/install.log")"
  root="$work/stage$prefix"

  # The layout, file by file: nothing missing, nothing more.
  (cd "$root" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) >"$work/files.txt"
  LC_ALL=C sort "$expected" >"$work/expected.txt"
  diff -u "$work/expected.txt" "$work/files.txt" || fail "installed files differ from the layout"

  desktop="$root/share/applications/$app_id.desktop"
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate reports: $out"
  out=$(appstreamcli validate --no-net --pedantic "$root/share/metainfo/$app_id.metainfo.xml" 2>&1) ||
    fail "appstreamcli: $out"
  echo "$out" | grep -qE '^[EWIP]: ' && fail "appstreamcli reports: $out"
  for page in man6/kelvane.6 man1/kelvane-solve.1; do
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/share/man/$page" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "man --warnings on $page: $out"
  done
  sections=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$root/share/man/man6/kelvane.6" 2>/dev/null)
  for section in KEYS "NO-GUESS BOARDS"; do
    grep -q "^$section\$" <<<"$sections" || fail "kelvane.6 has no $section section"
  done
  grep -q "^Icon=$app_id$" "$desktop" || fail "the desktop entry names another icon"

  # The command line answers without a display.
  game="$root/$bindir/kelvane"
  out=$(cd "$work/elsewhere" && env -u DISPLAY "$game" --version) || fail "--version failed"
  [ "$out" = "kelvane 1.0" ] || fail "--version printed '$out'"
  out=$(cd "$work/elsewhere" && env -u DISPLAY "$game" --help) || fail "--help failed"
  echo "$out" | grep -q -- "--version" || fail "--help printed no usage: $out"
  (cd "$work/elsewhere" && env -u DISPLAY "$game" --no-such-option >/dev/null 2>"$work/err.txt")
  rc=$?
  [ "$rc" -eq 2 ] || fail "an unknown option gave exit code $rc, expected 2"
  grep -q -- "--help" "$work/err.txt" || fail "an unknown option printed no usage"

  # kelvane-solve through the staged engine (no engine lies beside it).
  solve="$root/$tooldir/kelvane-solve"
  out=$(cd "$work/elsewhere" && printf '5 3 3\n.121.\n.....\n.....\n' | "$solve") ||
    fail "kelvane-solve failed: $out"
  expected_out=$'0.000000 . . . 0.000000\n0.000000 1.000000 0.000000 1.000000 0.000000\n0.200000 0.200000 0.200000 0.200000 0.200000'
  [ "$(echo "$out" | head -n 3)" = "$expected_out" ] || fail "kelvane-solve answered: $out"
  echo "$out" | tail -n 1 | grep -q "^status Finished " || fail "kelvane-solve status: $out"
  [ "$("$solve" --version)" = "kelvane-solve 1.0" ] || fail "kelvane-solve --version"

  KELVANE_INSTALL_INSIDE=1 ROOT="$root" exec "$(dirname "$0")/../../tools/with_xvfb.sh" \
    -screen 0 1024x768x24 -- "$0" "$@"
fi

# Under Xvfb: the staged game from another folder, as a user with nothing configured yet.
cd "$work/elsewhere"
ls -A "$ROOT/$bindir" >"$work/bin_before.txt"
HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" env -u XDG_CONFIG_HOME \
  "$ROOT/$bindir/kelvane" >"$work/game.log" 2>&1 &
pid=$!
id=""
for _ in $(seq 1 100); do
  id=$(xdotool search --onlyvisible --name "^Kelvane .*Edition$" 2>/dev/null | head -n 1)
  [ -n "$id" ] && break
  sleep 0.1
done
[ -n "$id" ] || { kill "$pid"; fail "no main window: $(cat "$work/game.log")"; }
sleep 1
class=$(xprop -id "$id" WM_CLASS)
grep -q '^StartupWMClass=' "$ROOT/share/applications/$app_id.desktop" &&
  wm=$(sed -n 's/^StartupWMClass=//p' "$ROOT/share/applications/$app_id.desktop")
echo "$class" | grep -q "\"$wm\"" || fail "window class $class does not match StartupWMClass=$wm"
# The engine message box would be a second top-level window: the staged engine loaded.
"$wm_close" "$id"
for _ in $(seq 1 200); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  kill -9 "$pid"
  fail "the game did not end: $(cat "$work/game.log")"
fi
wait "$pid" || fail "the game's exit code was $?: $(cat "$work/game.log")"

ini="$work/home/.config/kelvane/kelvane.ini"
[ -f "$ini" ] || fail "closing wrote no $ini"
grep -q '^ProbDisplay=1' "$ini" || fail "the engine was not loaded (probabilities off): $(cat "$ini")"
[ "$(stat -c %a "$work/home/.config/kelvane")" = 700 ] || fail "the settings folder is not private"
ls -A "$ROOT/$bindir" | diff "$work/bin_before.txt" - || fail "files appeared beside the executable"
[ -z "$(ls -A "$work/elsewhere")" ] || fail "files appeared in the current folder: $(ls -A "$work/elsewhere")"
echo "PASS: staged install"

#!/usr/bin/env bash
# End-to-end runs of the real executable under Xvfb, each from a temporary folder holding a
# copy of the program, so that its settings file lands there.
#   e2e.sh CASE BIN_DIR TOOL_DIR SHOT_DIR
set -uo pipefail

case_name=$1
bin=$2
tools=$3
shots=$4
# Runs the rest of this script on a fresh X server of the given size (before anything is
# made that only the inner run would clean up).
if [ -z "${KELVANE_E2E_INSIDE:-}" ]; then
  size=1024x768
  [ "$case_name" = small_screen ] && size=1024x767
  KELVANE_E2E_INSIDE=1 exec "$(dirname "$0")/../../tools/with_xvfb.sh" -screen 0 "${size}x24" -- \
    "$0" "$@"
fi
mkdir -p "$shots"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$bin/kelvane" "$work/"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The program's window, once it is mapped.
find_window() {
  local id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^Kelvane .*Edition$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  echo "$id"
}

# Waits for the program to end, at most 20 seconds; sets rc to its exit code.
wait_exit() {
  local pid=$1
  for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -9 "$pid"
    fail "the program did not end"
  fi
  wait "$pid"
  rc=$?
}

cd "$work"
case "$case_name" in
  small_screen)
    ./kelvane &
    pid=$!
    sleep 2
    import -window root "$shots/small_screen.png"
    xdotool key Return
    wait_exit $pid
    [ "$rc" -eq 1 ] || fail "exit code $rc, expected 1"
    [ ! -e kelvane.ini ] || fail "a refused start wrote a settings file"
    ;;

  window)
    cp "$bin/kelvane.so" "$work/"
    ./kelvane &
    pid=$!
    id=$(find_window)
    [ -n "$id" ] || fail "no window"
    sleep 1
    geometry=$(xdotool getwindowgeometry "$id")
    echo "$geometry"
    echo "$geometry" | grep -q "Geometry: 964x660" || fail "client area is not 964x660"
    # A real pointer: open a sector near the middle of the board, then ask for its neighbour.
    xdotool mousemove 400 330 click 1
    sleep 0.5
    xdotool mousemove 430 330 click 2
    sleep 1
    import -window root "$shots/window.png"
    "$tools/wm_close" "$id"
    wait_exit $pid
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ -f kelvane.ini ] || fail "closing wrote no settings file"
    keys=$(grep -c '=' kelvane.ini)
    [ "$keys" -eq 23 ] || fail "$keys keys written, expected 23"
    ;;

  settings_file)
    printf '%s\r\n' "; my settings" "[Window]" "Top=30" "Left=40" "[Field]" "Level=4" \
      "SizeX=12" "SizeY=9" "Mines=200" "[Game]" "FairPlay=0" "TrainerMode=1" "Extra = kept" \
      "[My Notes]" "note=hello" > kelvane.ini
    ./kelvane &
    pid=$!
    sleep 2
    import -window root "$shots/settings_file_message.png"
    xdotool key Return # the engine is missing here: dismiss its message
    id=$(find_window)
    [ -n "$id" ] || fail "no window"
    sleep 0.5
    import -window root "$shots/settings_file.png"
    "$tools/wm_close" "$id"
    wait_exit $pid
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    cat -A kelvane.ini
    expected=$(printf '%s\r\n' "[Window]" "Top=30" "Left=40" "" "[Field]" "Level=4" "SizeX=12" \
      "SizeY=9" "Mines=88" "" "[Game]" "FairPlay=0" "TrainerMode=1" "Extra=kept" "TimedGame=1" \
      "ProbDisplay=0" "MaxScale=3" "" "[My Notes]" "note=hello" "")
    head -c ${#expected} kelvane.ini | cmp -s - <(printf '%s' "$expected") ||
      fail "the file was not rewritten as expected"
    grep -q '^\[Engine\]' kelvane.ini || fail "no Engine section appended"
    grep -q '^BeginnerTime=999.9' kelvane.ini || fail "no best times appended"
    ;;

  locale_records)
    # A record kept across starts under a comma locale and under the C locale.
    cp "$bin/kelvane.so" "$work/"
    printf '%s\r\n' "[BestScores]" "BeginnerTime=12.3" "BeginnerName=Ida" > kelvane.ini
    run_and_close() { # run_and_close LOCALE [SHOT]: start, optionally show the best times, close
      LC_ALL=$1 ./kelvane &
      local pid=$! id
      id=$(find_window)
      [ -n "$id" ] || fail "no window under $1"
      sleep 0.5
      if [ -n "${2:-}" ]; then
        xdotool mousemove --window "$id" 810 594 click 1 # "Best Times"
        sleep 1
        import -window root "$shots/$2"
        xdotool search --onlyvisible --name "^Best Times$" >/dev/null || fail "no Best Times dialog"
        xdotool key Escape
        sleep 0.5
      fi
      "$tools/wm_close" "$id"
      wait_exit $pid
      [ "$rc" -eq 0 ] || fail "exit code $rc under $1"
    }
    expect_time() {
      grep -q "^BeginnerTime=$1"$'\r'"\$" kelvane.ini ||
        fail "$2: $(grep BeginnerTime kelvane.ini | cat -A)"
    }
    run_and_close de_DE.UTF-8
    expect_time "12,3" "a point file read under de_DE"
    grep -q "^IntermediateTime=999,9"$'\r'"\$" kelvane.ini || fail "empty record not 999,9"
    run_and_close de_DE.UTF-8 locale_best_times.png
    expect_time "12,3" "a second start under de_DE"
    run_and_close C
    expect_time "12.3" "a comma file read under C"
    ;;

  accessibility)
    # The accessibility tree over AT-SPI in a session bus of its own, and a Beginner game
    # won with keys alone (the reader presses them and reads the board's cells).
    cp "$bin/kelvane.so" "$work/"
    printf '%s\r\n' "[Field]" "Level=0" "[Game]" "TimedGame=0" "ProbDisplay=1" > kelvane.ini
    launcher=/usr/libexec/at-spi-bus-launcher
    [ -x "$launcher" ] || fail "no $launcher (package at-spi2-core)"
    [ -x /usr/bin/python3 ] && /usr/bin/python3 -c 'import pyatspi' ||
      fail "no pyatspi for /usr/bin/python3 (package python3-pyatspi)"
    command -v dbus-run-session >/dev/null || fail "no dbus-run-session (package dbus)"
    reader=$(cd "$(dirname "$0")" && pwd)/a11y_reader.py
    dbus-run-session -- bash -c '
      "$1" --launch-immediately &
      bus=$!
      sleep 1
      QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ./kelvane &
      pid=$!
      /usr/bin/python3 "$2" "$3"
      rc=$?
      for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
      if kill -0 $pid 2>/dev/null; then kill -9 $pid; rc=1; echo "FAIL: Ctrl+Q did not close" >&2; fi
      wait $pid || rc=1
      kill $bus 2>/dev/null
      exit $rc' bash "$launcher" "$reader" "$shots"
    rc=$?
    [ "$rc" -eq 0 ] || fail "accessibility reader: exit code $rc"
    [ -f kelvane.ini ] && grep -q '^Level=0' kelvane.ini || fail "Ctrl+Q saved no settings"
    grep -q '^TimedGame=0' kelvane.ini || fail "the cancelled settings dialog changed the file"
    ;;

  history)
    # A game won and one lost on a known board opened from a file (all ten mines on the
    # bottom row: the first press at the top left wins), one left for a new game; the rows
    # read with the sqlite3 command; then the Statistics window.
    cp "$bin/kelvane.so" "$work/"
    command -v sqlite3 >/dev/null || fail "no sqlite3 (package sqlite3)"
    { printf '%s\n' "kelvane-game 1" "size 10 10 10" \
        "options fair-play 0 trainer 0 no-guess 0 timed 1" "layout"
      for _ in $(seq 1 9); do printf '..........\n'; done
      printf '%s\n' "**********" "moves" "0 open 0 0" "end won 0.5"; } > bottom.kelvane-game
    ./kelvane &
    pid=$!
    id=$(find_window)
    [ -n "$id" ] || fail "no window"
    sleep 0.5
    open_record() { # the file dialog takes the typed path
      xdotool key ctrl+o
      sleep 1.5
      xdotool type --delay 20 "$work/bottom.kelvane-game"
      xdotool key Return
      sleep 1
    }
    open_record
    xdotool key Home Home Prior space # show the cursor, to the top left, press
    sleep 0.5
    open_record
    xdotool key Next space # the bottom left: a mine
    sleep 0.5
    xdotool key F2 Home Prior space F2 # a game of its own, left for a new one
    sleep 0.5
    xdotool key F3
    sleep 1.5
    import -window root "$shots/history_statistics.png"
    xdotool search --onlyvisible --name "^Statistics$" >/dev/null || fail "no Statistics window"
    xdotool key Escape
    sleep 0.5
    "$tools/wm_close" "$id"
    wait_exit $pid
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    rows=$(sqlite3 games.sqlite "SELECT result, replayed, bbbv, width FROM games ORDER BY id")
    echo "$rows"
    [ "$(echo "$rows" | head -n 2)" = "$(printf 'won|1|1|10\nlost|1|1|10')" ] ||
      fail "no won and lost replayed game"
    [ "$(echo "$rows" | sed -n 3p | cut -d'|' -f1,2)" = "abandoned|0" ] || fail "no abandoned game"
    [ "$(echo "$rows" | wc -l)" -eq 3 ] || fail "other games kept"
    # The replays' Fair Play was the record's; the player's own is saved.
    [ "$(grep -c '=' kelvane.ini)" -eq 23 ] && grep -q $'^FairPlay=1\r$' kelvane.ini ||
      fail "the settings file is not the designed one"
    ;;

  *)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"

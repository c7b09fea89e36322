#!/usr/bin/env bash
# Makes the pictures of the player's help (Help/images/*.png) from the real program: starts
# the built game under Xvfb from a temporary folder with a settings file of its own, plays
# with xdotool, takes screenshots with ImageMagick and crops them.
#
#   tools/help_screenshots.sh [BUILD_DIR [OUT_DIR]]
#
# BUILD_DIR defaults to build-help beside this folder, OUT_DIR to Help/images (the pictures
# the help ships); the tests give a folder of their own.
#
# Needs Xvfb, xdotool and ImageMagick (tools/setup.sh installs them) and a build with
# bin/kelvane, bin/kelvane.so and tests/e2e/wm_close. The mines are laid at random, so every
# run gives other pictures; the script picks its presses by looking at the board.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-help}" && pwd)
mkdir -p "${2:-$root/Help/images}"
out=$(cd "${2:-$root/Help/images}" && pwd)

# Runs the rest of this script on its own X server of the smallest size the game accepts.
if [ -z "${KELVANE_SHOTS_INSIDE:-}" ]; then
  KELVANE_SHOTS_INSIDE=1 exec "$root/tools/with_xvfb.sh" -screen 0 1024x768x24 -- \
    "$0" "$build" "$out"
fi

for file in "$build/bin/kelvane" "$build/bin/kelvane.so" "$build/tests/e2e/wm_close"; do
  [ -x "$file" ] || [ -f "$file" ] || {
    echo "missing $file: build the game first" >&2
    exit 1
  }
done

pictures=(main-window stats-panel probabilities chord-preview lost-board settings-dialog best-times)
for name in "${pictures[@]}"; do
  rm -f "$out/$name.png"
done

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
cp "$build/bin/kelvane" "$build/bin/kelvane.so" "$work/"
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
cd "$work" || exit 1

fail() {
  echo "help_screenshots: $*" >&2
  if [ -s "$work/game.log" ]; then
    echo "the game's own output:" >&2
    cat "$work/game.log" >&2
  fi
  exit 1
}

# An Intermediate field at the largest sector size, with a few best times to show.
printf '%s\r\n' "[Window]" "Top=16" "Left=16" "[Field]" "Level=1" "[Game]" "FairPlay=1" \
  "TrainerMode=0" "TimedGame=1" "ProbDisplay=1" "MaxScale=3" "[Engine]" "AdvancedMode=1" \
  "DupCheck=1" "CheckingMode=1" "StepDepth=25" "[BestScores]" "BeginnerTime=9.4" \
  "IntermediateTime=47.1" "ExpertTime=158.6" "UltraTime=999.9" "BeginnerName=Mira" \
  "IntermediateName=Tomas" "ExpertName=Mira" "UltraName=Anonymous" >kelvane.ini

./kelvane >"$work/game.log" 2>&1 &
pid=$!
window=""
for _ in $(seq 1 300); do # a sanitizer build takes a while to start
  window=$(xdotool search --onlyvisible --name "^Kelvane .*Edition$" 2>/dev/null | head -n 1) || true
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "the game's window did not appear"
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
wx=$X
wy=$Y

# The field's geometry, as the game lays out 16 x 16 sectors with no size limit.
cols=16
rows=16
cell=$(((769 / cols) < (601 / rows) ? (769 / cols) : (601 / rows)))
field_left=$(((769 - (cols * cell + 1)) >> 1))
field_top=$(((601 - (rows * cell + 1)) >> 1))
board_x=$((wx + 4 + field_left)) # the field's top-left grid corner on the screen
board_y=$((wy + 32 + field_top))

shot() { # shot FILE: the whole screen
  import -window root "$1"
}

crop() { # crop SCREEN NAME X Y W H [small]: a piece of the screen (screen pixels) into
  # Help/images; "small" keeps a large picture small with a palette of 128 colours.
  local format=()
  [ "${7:-}" = small ] && format=(-dither None -colors 128)
  convert "$1" -crop "${5}x${6}+${3}+${4}" +repage -strip "${format[@]}" \
    "$([ "${7:-}" = small ] && echo PNG8:)$out/$2.png"
  echo "wrote $out/$2.png (${5}x${6})"
}

# The state of every sector, read from the screen: a closed sector is drawn at half the
# brightness of the background, an open one above it. Sets the array seen[c * rows + r]
# to c (closed) or o (open), from a pixel near each sector's top-left corner.
read_board() {
  shot "$work/board.png"
  local i=0 line
  seen=()
  while read -r line; do
    seen[i]=$line
    i=$((i + 1))
  done < <(convert "$work/board.png" -crop "$((cols * cell))x$((rows * cell))+$((board_x + 1))+$((board_y + 1))" \
    +repage -define sample:offset=8 -sample "${cols}x${rows}!" txt:- |
    awk -v rows="$rows" -v cells=$((cols * rows)) 'NR > 1 {
        split($0, f, /[,:() ]+/) # column, row, red, green, blue
        state[f[1] * rows + f[2]] = (f[3] >= 128 && f[4] >= 128 && f[5] >= 128) ? "o" : "c"
      } END { for (i = 0; i < cells; i++) print state[i] }')
}

state_at() { # state_at C R: c, o, or x outside the field
  if [ "$1" -lt 0 ] || [ "$2" -lt 0 ] || [ "$1" -ge "$cols" ] || [ "$2" -ge "$rows" ]; then
    echo x
  else
    echo "${seen[$(($1 * rows + $2))]}"
  fi
}

count_open() {
  local n=0 s
  for s in "${seen[@]}"; do [ "$s" = o ] && n=$((n + 1)); done
  echo "$n"
}

neighbours_in() { # neighbours_in C R STATE: how many of the eight neighbours are in STATE
  local n=0 dc dr
  for dc in -1 0 1; do
    for dr in -1 0 1; do
      [ "$dc" -eq 0 ] && [ "$dr" -eq 0 ] && continue
      [ "$(state_at $(($1 + dc)) $(($2 + dr)))" = "$3" ] && n=$((n + 1))
    done
  done
  echo "$n"
}

# find_sector STATE NEIGHBOUR_STATE COUNT MARGIN [none]: "C R" of the first sector in STATE
# with at least COUNT neighbours in NEIGHBOUR_STATE (with "none": with no such neighbour),
# at least MARGIN sectors from the edge.
find_sector() {
  local c r n
  for ((c = $4; c < cols - $4; c++)); do
    for ((r = $4; r < rows - $4; r++)); do
      [ "$(state_at $c $r)" = "$1" ] || continue
      n=$(neighbours_in $c $r "$2")
      if { [ "${5:-}" = none ] && [ "$n" -eq 0 ]; } || { [ "${5:-}" != none ] && [ "$n" -ge "$3" ]; }; then
        echo "$c $r"
        return
      fi
    done
  done
}

press() { # press BUTTON C R: a click on the middle of a sector
  xdotool mousemove $((board_x + $2 * cell + cell / 2)) $((board_y + $3 * cell + cell / 2)) \
    click "$1"
}

face() { # the face button's pixels, to see a lost game
  import -window root -crop "25x25+$((wx + 376))+$((wy + 4))" +repage txt:- | md5sum
}

# 1. A first press that opens a region of some size: new games until one does.
attempt=0
while :; do
  attempt=$((attempt + 1))
  press 1 $((4 + attempt % 8)) $((5 + attempt % 6))
  sleep 0.5
  read_board
  [ "$(count_open)" -ge 25 ] && break
  [ "$attempt" -ge 30 ] && fail "no first press opened a region"
  xdotool mousemove $((wx + 388)) $((wy + 16)) click 1 # the face: a new game
  sleep 0.3
done

# 2. A middle press on a closed sector away from the opened region: the probabilities.
min_c=$cols min_r=$rows max_c=0 max_r=0
for ((c = 0; c < cols; c++)); do
  for ((r = 0; r < rows; r++)); do
    [ "$(state_at $c $r)" = o ] || continue
    ((c < min_c)) && min_c=$c
    ((r < min_r)) && min_r=$r
    ((c > max_c)) && max_c=$c
    ((r > max_r)) && max_r=$r
  done
done
asked=$(find_sector c o 0 1 none)
[ -n "$asked" ] || fail "no closed sector away from the opened region"
# shellcheck disable=SC2086
press 2 $asked
sleep 2
shot "$work/probabilities.png"
crop "$work/probabilities.png" main-window "$wx" "$wy" 964 660 small
crop "$work/probabilities.png" stats-panel $((wx + 772)) "$wy" 192 344
# The opened region and two sectors around it, at most 9 x 7 sectors.
from_c=$((min_c - 2 < 0 ? 0 : min_c - 2))
from_r=$((min_r - 2 < 0 ? 0 : min_r - 2))
span_c=$((max_c - min_c + 5 > 9 ? 9 : max_c - min_c + 5))
span_r=$((max_r - min_r + 5 > 7 ? 7 : max_r - min_r + 5))
((from_c + span_c > cols)) && from_c=$((cols - span_c))
((from_r + span_r > rows)) && from_r=$((rows - span_r))
crop "$work/probabilities.png" probabilities $((board_x + from_c * cell)) \
  $((board_y + from_r * cell)) $((span_c * cell + 1)) $((span_r * cell + 1))

# 3. A chord that does not match: the middle button held on an opened number whose closed
#    neighbours carry no marker shows them pressed until it is released. The number with the
#    most closed neighbours shows it best, with closed sectors around the pressed ones.
read_board
chord=""
for need in 6 5 4 3; do
  chord=$(find_sector o c "$need" 2)
  [ -n "$chord" ] && break
done
[ -n "$chord" ] || fail "no opened number with closed neighbours"
read -r cc cr <<<"$chord"
xdotool mousemove $((board_x + cc * cell + cell / 2)) $((board_y + cr * cell + cell / 2))
xdotool mousedown 2
sleep 0.5
shot "$work/chord.png"
xdotool mouseup 2
sleep 0.3
from_c=$((cc - 2 < 0 ? 0 : cc - 2))
from_r=$((cr - 2 < 0 ? 0 : cr - 2))
((from_c + 5 > cols)) && from_c=$((cols - 5))
((from_r + 5 > rows)) && from_r=$((rows - 5))
crop "$work/chord.png" chord-preview $((board_x + from_c * cell)) $((board_y + from_r * cell)) \
  $((5 * cell + 1)) $((5 * cell + 1))

# 4. A lost game: three markers on sectors far from the numbers (most likely wrong), then
#    presses on closed sectors until one holds a mine.
read_board
marked=0
for ((c = 0; c < cols && marked < 3; c += 5)); do
  for ((r = rows - 1; r >= 0 && marked < 3; r -= 4)); do
    if [ "$(state_at $c $r)" = c ] && [ "$(neighbours_in $c $r o)" -eq 0 ]; then
      press 3 $c $r
      sleep 0.2
      marked=$((marked + 1))
    fi
  done
done
playing=$(face)
read_board
lost=""
# Every sector once, in a scattered order (37 and 256 have no common factor); a press on one
# that a region has opened meanwhile does nothing.
for ((step = 0; step < cols * rows; step++)); do
  i=$(((step * 37 + 11) % (cols * rows)))
  c=$((i / rows))
  r=$((i % rows))
  [ "$(state_at $c $r)" = c ] || continue
  press 1 $c $r
  sleep 0.3
  if [ "$(face)" != "$playing" ]; then
    lost=yes
    break
  fi
done
[ -n "$lost" ] || fail "no mine was found to lose the game"
sleep 0.3
shot "$work/lost.png"
crop "$work/lost.png" lost-board "$board_x" "$board_y" $((cols * cell + 1)) $((rows * cell + 1)) small

# 5. The settings dialog, opened from its label and left with Cancel.
xdotool mousemove $((wx + 800)) $((wy + 568)) click 1
dialog=""
for _ in $(seq 1 50); do
  dialog=$(xdotool search --onlyvisible --name "^Settings$" 2>/dev/null | head -n 1) || true
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "the settings dialog did not open"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog")"
shot "$work/settings.png"
crop "$work/settings.png" settings-dialog "$X" "$Y" "$WIDTH" "$HEIGHT"
xdotool mousemove $((X + 448)) $((Y + 312)) click 1 # Cancel
sleep 0.5

# 6. The best-times dialog, opened from its label and left with OK.
xdotool mousemove $((wx + 800)) $((wy + 592)) click 1
dialog=""
for _ in $(seq 1 50); do
  dialog=$(xdotool search --onlyvisible --name "^Best Times$" 2>/dev/null | head -n 1) || true
  [ -n "$dialog" ] && break
  sleep 0.1
done
[ -n "$dialog" ] || fail "the best-times dialog did not open"
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$dialog")"
shot "$work/best.png"
crop "$work/best.png" best-times "$X" "$Y" "$WIDTH" "$HEIGHT"
xdotool mousemove $((X + 260)) $((Y + 140)) click 1 # OK
sleep 0.5

"$build/tests/e2e/wm_close" "$window"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  fail "the game did not close"
fi
wait "$pid" || fail "the game ended with an error"
pid=""
for name in "${pictures[@]}"; do
  [ -s "$out/$name.png" ] || fail "no picture $name.png was made"
done
echo "done: ${#pictures[@]} pictures in $out"

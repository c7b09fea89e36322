#!/usr/bin/env bash
# The real program on high-density screens under Xvfb: the scale it picks, what it looks like
# at that scale, and its window captions.
#   scale.sh CASE BIN_DIR TOOL_DIR SHOT_DIR
# Each run starts its own X server; a desktop DPI is put into the root window's resources as
# a desktop would (Xft.dpi), which needs a server that keeps them (with_xvfb.sh never resets).
set -uo pipefail

case_name=$1
bin=$2
tools=$3
shots=${4:-}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# inner RUN_DIR DPI [VAR=VALUE...]: on the current X server, starts a copy of the program with
# a settings file for an 8 x 8 field with one mine and untimed play, and leaves behind:
# geometry (the client size), names (the captions), fresh.png (the window as it opens) and
# digit.png (after a press in the middle of the field).
inner() {
  local dir=$1 dpi=$2
  shift 2
  cd "$dir" || exit 1
  export XDG_RUNTIME_DIR=$dir/runtime
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  if [ "$dpi" != none ]; then
    xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$(printf 'Xft.dpi:\t%s\n' "$dpi")"
  fi
  printf '%s\r\n' "[Window]" "Top=0" "Left=0" "[Field]" "Level=4" "SizeX=8" "SizeY=8" \
    "Mines=1" "[Game]" "FairPlay=0" "TrainerMode=0" "TimedGame=0" "ProbDisplay=0" \
    "MaxScale=3" > kelvane.ini
  env "$@" ./kelvane &
  local pid=$! id=""
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --name "^Kelvane .*Edition$" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then
    kill "$pid" 2>/dev/null
    echo "none" > geometry
    return
  fi
  sleep 1
  xdotool getwindowgeometry "$id" | sed -n 's/.*Geometry: //p' > geometry
  local position width
  position=$(xdotool getwindowgeometry "$id" | sed -n 's/.*Position: \([0-9]*\),\([0-9]*\).*/\1 \2/p')
  width=$(cut -dx -f1 geometry)
  local s=$((width / 964)) x y
  read -r x y <<< "$position"
  {
    xprop -id "$id" WM_NAME _NET_WM_NAME
  } > names
  import -window root -crop "$(cat geometry)+$x+$y" +repage fresh.png
  # The middle of the field: sector (4, 4) of 75-pixel sectors at (88, 32) in the window.
  xdotool mousemove $((x + (88 + 4 * 75 + 37) * s)) $((y + (32 + 4 * 75 + 37) * s)) click 1
  sleep 0.5
  import -window root -crop "$(cat geometry)+$x+$y" +repage digit.png
  # The settings dialog, from its menu label, and its caption.
  xdotool mousemove $((x + 800 * s)) $((y + 566 * s)) click 1
  local dialog=""
  for _ in $(seq 1 50); do
    dialog=$(xdotool search --onlyvisible --name "^Settings" 2>/dev/null | head -n 1)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  if [ -n "$dialog" ]; then
    sleep 0.5
    xprop -id "$dialog" WM_NAME _NET_WM_NAME | sed 's/^/dialog /' >> names
    xdotool getwindowgeometry "$dialog" | sed -n 's/.*Geometry: /dialog geometry /p' >> names
    xdotool key --window "$dialog" Escape 2>/dev/null
    sleep 0.3
  fi
  "$tools/wm_close" "$id" || kill "$pid"
  for _ in $(seq 1 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}

if [ "$case_name" = inner ]; then
  tools=$2
  shift 2
  inner "$@"
  exit 0
fi
mkdir -p "$shots"
bin=$(cd "$bin" && pwd)
tools=$(cd "$tools" && pwd)

# run NAME SCREEN DPI [VAR=VALUE...]: one start of the program on a fresh server.
run() {
  local name=$1 screen=$2 dpi=$3
  shift 3
  local dir=$work/$name
  mkdir -p "$dir"
  cp "$bin/kelvane" "$bin/kelvane.so" "$dir/"
  "$(dirname "$0")/../../tools/with_xvfb.sh" -screen 0 "${screen}x24" -- \
    "$0" inner "$tools" "$dir" "$dpi" "$@"
  for png in "$dir"/*.png; do
    [ -f "$png" ] && cp "$png" "$shots/${name}_$(basename "$png")"
  done
  echo "$name: $(cat "$dir/geometry")"
}

geometry() { cat "$work/$1/geometry"; }

# The height of the first sector's digit "1" (its pure colour) in a screenshot at scale s.
digit_height() {
  local png=$1 s=$2 c r
  for r in $(seq 0 7); do
    for c in $(seq 0 7); do
      local box
      box=$(convert "$png" -crop "$((74 * s))x$((74 * s))+$(((88 + c * 75 + 1) * s))+$(((32 + r * 75 + 1) * s))" \
        +repage -fill white +opaque "rgb(0,0,192)" -format '%@' info: 2>/dev/null)
      case $box in
        0x0* | "" | "$((74 * s))x$((74 * s))"*) ;;
        *)
          echo "$box" | sed 's/^[0-9]*x\([0-9]*\).*/\1/'
          return
          ;;
      esac
    done
  done
  echo 0
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case "$case_name" in
  dpi192_on_4k)
    run plain 1280x1024 none
    run dense 3840x2160 192
    [ "$(geometry plain)" = 964x660 ] || fail "scale 1 window is $(geometry plain)"
    [ "$(geometry dense)" = 1928x1320 ] || fail "the 4K window at Xft.dpi 192 is $(geometry dense)"
    # Halved, the scale-2 window is the scale-1 window: at most 3 % of the pixels further than
    # a tenth of the range apart (the edges of text and lines, antialiased differently).
    convert "$work/dense/fresh.png" -filter box -resize 50% "$work/halved.png"
    differing=$(compare -metric AE -fuzz 10% "$work/halved.png" "$work/plain/fresh.png" null: 2>&1)
    echo "halved scale-2 window: $differing of 636240 pixels differ"
    [ "${differing%.*}" -lt 19000 ] 2>/dev/null || fail "$differing pixels differ from scale 1"
    # Sharp, not magnified: many pixels differ from the same picture with each 2 x 2 block
    # made one colour.
    convert "$work/dense/fresh.png" -sample 50% -sample 200% "$work/blocky.png"
    detail=$(compare -metric AE -fuzz 10% "$work/dense/fresh.png" "$work/blocky.png" null: 2>&1)
    echo "pixels finer than a layout pixel: $detail"
    [ "${detail%.*}" -gt 10000 ] 2>/dev/null || fail "the scale-2 window is a magnified picture"
    h1=$(digit_height "$work/plain/digit.png" 1)
    h2=$(digit_height "$work/dense/digit.png" 2)
    echo "digit height: $h1 at scale 1, $h2 at scale 2"
    [ "$h1" -gt 10 ] || fail "no digit on the scale-1 board"
    [ $((h2 - 2 * h1)) -le 2 ] && [ $((2 * h1 - h2)) -le 2 ] || fail "digit $h2 is not twice $h1"
    ;;
  qt_scale_on_small)
    run plain 1280x1024 none
    run scaled 1280x1024 none QT_SCALE_FACTOR=2
    [ "$(geometry scaled)" = 964x660 ] || fail "QT_SCALE_FACTOR=2 on 1280x1024 gives $(geometry scaled)"
    compare -metric AE "$work/scaled/fresh.png" "$work/plain/fresh.png" null: 2>/dev/null ||
      fail "scale 1 under QT_SCALE_FACTOR=2 differs from scale 1"
    ;;
  qt_scale_on_2560)
    run scaled 2560x1440 none QT_SCALE_FACTOR=2
    run screens 2560x1440 none QT_SCREEN_SCALE_FACTORS=3
    [ "$(geometry scaled)" = 1928x1320 ] || fail "QT_SCALE_FACTOR=2 on 2560x1440 gives $(geometry scaled)"
    [ "$(geometry screens)" = 1928x1320 ] || fail "a factor of 3 on 2560x1440 gives $(geometry screens)"
    ;;
  dpi144_on_small)
    run plain 1280x1024 none
    run dpi144 1280x1024 144
    [ "$(geometry dpi144)" = 964x660 ] || fail "Xft.dpi 144 on 1280x1024 gives $(geometry dpi144)"
    compare -metric AE "$work/dpi144/fresh.png" "$work/plain/fresh.png" null: 2>/dev/null ||
      fail "text at Xft.dpi 144 is not its 96-dpi size"
    ;;
  captions)
    run plain 1280x1024 none
    cat "$work/plain/names"
    for name in WM_NAME _NET_WM_NAME; do
      grep -q "^$name([A-Z0-9_]*) = \"Kelvane Example Edition\"$" "$work/plain/names" ||
        fail "main window $name is not the design's caption"
      grep -q "^dialog $name([A-Z0-9_]*) = \"Settings\"$" "$work/plain/names" ||
        fail "settings dialog $name is not \"Settings\""
    done
    ;;
  *)
    fail "unknown case $case_name"
    ;;
esac
echo "PASS: $case_name"

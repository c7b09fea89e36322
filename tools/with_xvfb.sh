#!/usr/bin/env bash
# Runs a command on an X server of its own and passes its exit status through:
#
#   tools/with_xvfb.sh [Xvfb options...] -- COMMAND [ARGS...]
#
# The server chooses a free display itself (-displayfd) and says which once it accepts
# clients, so runs started side by side, or right after one whose server is still going
# down, never share or race for a display number. It never resets: a client that connects
# while the last one is leaving would otherwise find no server.
set -u

options=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
  options+=("$1")
  shift
done
if [ $# -lt 2 ]; then
  sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
fi
shift

dir=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -nolisten tcp -noreset "${options[@]}" 3>"$dir/display" 2>"$dir/log" &
server=$!
stop_server() {
  kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$dir"
}
trap stop_server EXIT

# The number arrives with a newline once the server is ready.
for _ in $(seq 1 200); do
  [ -s "$dir/display" ] && [ -z "$(tail -c 1 "$dir/display")" ] && break
  if ! kill -0 "$server" 2>/dev/null; then
    echo "with_xvfb: the X server did not start: $(tail -n 3 "$dir/log")" >&2
    exit 1
  fi
  sleep 0.05
done
display=$(head -n 1 "$dir/display")
if [ -z "$display" ]; then
  echo "with_xvfb: the X server named no display within 10 s: $(tail -n 3 "$dir/log")" >&2
  exit 1
fi

DISPLAY=:$display "$@"

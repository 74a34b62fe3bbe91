#!/usr/bin/env bash
# Runs PROGRAM with ARGS on the current X display, waits until its top-level window (the
# first viewable one whose xwininfo line contains $TOVIK_SHOT_WINDOW; by default the
# program's window class, its file name in quotes) is mapped and painted, saves a screenshot of that window
# to OUT.png, then ends the program. Run it under xvfb-run when there is no display.
# Usage: screenshot.sh OUT.png PROGRAM [ARGS...]
set -euo pipefail
out=$1; shift
pattern="${TOVIK_SHOT_WINDOW:-\"$(basename "$1")\"}"
prog=$1
"$@" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true' EXIT

# The first viewable top-level window whose name matches.
find_window() {
  xwininfo -root -children 2>/dev/null | grep -F -- "$pattern" | awk '{print $1}' |
    while read -r id; do
      if xwininfo -id "$id" 2>/dev/null | grep -q "IsViewable"; then echo "$id"; break; fi
    done
}

id=""
for _ in $(seq 1 150); do
  if ! kill -0 "$pid" 2>/dev/null; then
    echo "screenshot.sh: $prog ended before its window appeared" >&2
    exit 1
  fi
  id=$(find_window || true)
  [ -n "$id" ] && break
  sleep 0.2
done
if [ -z "$id" ]; then
  echo "screenshot.sh: no window like \"$pattern\" within 30 s" >&2
  exit 1
fi
sleep "${TOVIK_SHOT_DELAY:-1.5}" # let the first tab load and paint

# Window geometry on the root window, so that the shot is what the screen shows.
info=$(xwininfo -id "$id")
x=$(awk '/Absolute upper-left X/ {print $NF}' <<<"$info")
y=$(awk '/Absolute upper-left Y/ {print $NF}' <<<"$info")
w=$(awk '/Width:/ {print $NF}' <<<"$info")
h=$(awk '/Height:/ {print $NF}' <<<"$info")
mkdir -p "$(dirname "$out")"
import -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"

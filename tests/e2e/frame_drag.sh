#!/usr/bin/env bash
# Opens the framed demo window on an X display, takes a screenshot, drags the caption
# with xdotool and checks that the window followed.
set -euo pipefail
demo=$1
out=${2:-.}
mkdir -p "$out"
source "$(dirname "$0")/display.sh"
log=$(mktemp)
"$demo" >"$log" 2>&1 &
pid=$!
cleanup_demo() { kill $pid 2>/dev/null || true; rm -f "$log"; }
trap 'cleanup_demo; [ -n "${xvfb:-}" ] && kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 100); do grep -q '^ready' "$log" && break; sleep 0.1; done
read -r _ left top right bottom < <(grep '^ready' "$log")
sleep 0.5
import -display "$display" -window root "$out/frame_demo.png"
# Drag the caption 100 px right and 60 px down.
xdotool mousemove $((left + 60)) $((top + 12)) mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((left + 60 + 20 * step)) $((top + 12 + 12 * step)); sleep 0.05; done
xdotool mouseup 1
for _ in $(seq 50); do
  last=$(grep '^moved' "$log" | tail -n 1 || true)
  [ "$last" = "moved $((left + 100)) $((top + 60)) $((right + 100)) $((bottom + 60))" ] && break
  sleep 0.1
done
echo "ready at $left $top; last: ${last:-none}"
[ "$last" = "moved $((left + 100)) $((top + 60)) $((right + 100)) $((bottom + 60))" ]
import -display "$display" -window root "$out/frame_demo_moved.png"
# The close box ends the program.
xdotool mousemove $((right + 100 - 14)) $((top + 60 + 13)) click 1
for _ in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
! kill -0 $pid 2>/dev/null
echo "passed"

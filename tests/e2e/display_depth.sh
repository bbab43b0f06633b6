#!/usr/bin/env bash
# The display's colour depth, as the main window's status line reports it, on X servers
# of depth 24 and 16: the bits one pixel of the root depth takes, as the X server itself
# says (xdpyinfo's pixmap formats): 32 and 16. A screenshot of the program on each is
# left in the output folder, its status line reading "32-bit color" and "16-bit color".
set -euo pipefail
tests=$(realpath "$1")
direvo=$(realpath "$2")
out=$(realpath -m "${3:-.}")
mkdir -p "$out"
source "$(dirname "$0")/../../scripts/xvfb.sh"
source "$(dirname "$0")/../../scripts/xwindows.sh"
pids=()
runtime=$(mktemp -d)
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$runtime"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb
fail() { echo "FAILED: $*"; exit 1; }

for case in "24 32" "16 16"; do
  read -r depth want <<<"$case"
  # A display range of the caller's own when given ("FIRST LAST"), else 150 to 199.
  start_xvfb ${DIREVO_E2E_DISPLAY_RANGE:-150 199} "$depth"
  server=$xvfb_pid
  pids+=("$server")
  export DISPLAY=$xvfb_display
  bits=$(xdpyinfo | awk -v d="$depth," '$1 == "depth" && $2 == d { sub(",", "", $4); print $4 }')
  [ "$bits" = "$want" ] || fail "the X server of depth $depth says $bits bits per pixel"

  log=$(mktemp)
  set +e
  DIREVO_EXPECT_BITS_PER_PIXEL=$bits "$tests" --gtest_filter='DisplayDepth.*' >"$log" 2>&1
  code=$?
  set -e
  cat "$log"
  grep -q '^\[  SKIPPED \]' "$log" && fail "the display depth test was skipped"
  rm -f "$log"
  [ "$code" -eq 0 ] || fail "depth $depth: the display depth test failed"

  "$direvo" >/dev/null 2>&1 &
  prog=$!
  pids+=("$prog")
  main=$(window_of "$prog" '^DIREVO$') || fail "depth $depth: no main window"
  wait_for dropped_in "$main" || true
  import -window root "$out/status_line_depth$depth.png"
  kill "$prog" "$server" 2>/dev/null || true
  wait "$prog" "$server" 2>/dev/null || true
  echo "depth $depth: $bits bits per pixel"
done
echo "passed"

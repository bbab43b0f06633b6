# Sourced by the whole-program tests once they have set $out (the screenshot folder)
# and $test_name: gives the run a runtime folder and a work folder of its own, the X
# display and the window helpers, and defines fail(), which leaves a screenshot and
# the last lines the program printed ($out/${test_name}_stdout.txt). On exit it ends
# what the test started ($pid, $xclip_pid and the pids in $pids) and removes the folders.
pid=""
xclip_pid=""
pids=()
runtime=$(mktemp -d)
work=$(mktemp -d)
cleanup() {
  for p in "$pid" "$xclip_pid" "${pids[@]}"; do
    [ -n "$p" ] && kill -9 "$p" 2>/dev/null || true
  done
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$runtime" "$work"
}
trap cleanup EXIT
source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xwindows.sh"
export XDG_RUNTIME_DIR=$runtime
fail() {
  echo "FAILED: $*"
  import -window root "$out/${test_name}_failed.png" || true
  sed 's/^/direvo: /' "$out/${test_name}_stdout.txt" 2>/dev/null | tail -n 20 || true
  exit 1
}

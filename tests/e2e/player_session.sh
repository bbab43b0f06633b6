# Sourced by the whole-program tests that run the player. Takes the arguments each of
# them gets (direvo, direvo-compose, the sample-movie maker, the screenshot folder),
# gives the run a runtime folder and a work folder of its own, cleans up on exit, and
# defines fail(). The caller sets $test_name first: it names the failure screenshot
# and the file the program's output goes to ($out/${test_name}_stdout.txt).
set -euo pipefail
direvo=$(realpath "$1")
compose=$(realpath "$2")
sample=$(realpath "$3")
out=$(realpath -m "${4:-.}")
mkdir -p "$out"
pid=""
runtime=$(mktemp -d)
work=$(mktemp -d)
cleanup() {
  [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null || true
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

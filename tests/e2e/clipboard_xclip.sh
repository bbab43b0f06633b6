#!/usr/bin/env bash
# The clipboard against a real other X11 client: xclip reads the pictures an image
# window copies and puts pictures that an image window pastes. The pictures both ways
# are left in the output folder.
set -euo pipefail
tests=$(realpath "$1")
out=$(realpath -m "${2:-.}")
mkdir -p "$out"
cleanup() { [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true; }
trap cleanup EXIT
source "$(dirname "$0")/display.sh"
export DIREVO_CLIPBOARD_OUT=$out
log=$(mktemp)
set +e
"$tests" --gtest_filter='XclipPeer.*' >"$log" 2>&1
code=$?
set -e
cat "$log"
grep -q '^\[  SKIPPED \]' "$log" && { echo "FAILED: the xclip tests were skipped"; exit 1; }
rm -f "$log"
exit "$code"

#!/usr/bin/env bash
# Whole-program checks of direvo on an X display: start-up, instance numbers, the
# instance limit, and Exit while the main routine runs.
set -euo pipefail
direvo=$(realpath "$1")
out=$(realpath -m "${2:-.}")
mkdir -p "$out"
test_name=program
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
cd "$work"

# Waits for PID to end and leaves its exit code in $code.
wait_for_exit() {
  set +e
  wait "$1"
  code=$?
  set -e
}
# Starts an instance; the caller records the pid (this runs in a subshell).
start() { "$direvo" >/dev/null 2>&1 & echo $!; }

# Start-up: the main window drops in to the bottom of the screen.
first=$(start)
pids+=("$first")
main=$(window_of "$first" '^DIREVO$') || fail "no main window"
wait_for dropped_in "$main" || true
eval "$(xdotool getwindowgeometry --shell "$main")"
[ $((Y + HEIGHT)) -eq 1024 ] || fail "main window not at the bottom: y=$Y h=$HEIGHT"
import -window root "$out/program_start.png"
echo "start-up: main window at $X,$Y ${WIDTH}x$HEIGHT"

# A second instance takes number 1; after the first is killed, its number is free again.
second=$(start)
pids+=("$second")
window_of "$second" '^DIREVO\[1\]$' >/dev/null || fail "second instance is not number 1"
kill -9 "$first"
third=$(start)
pids+=("$third")
window_of "$third" '^DIREVO$' >/dev/null || fail "the killed instance's number was not taken again"
echo "instances: numbers 1 then 0 again after a kill"

# Ten running: the eleventh says so and ends with 1.
for _ in $(seq 8); do pids+=("$(start)"); done
for n in $(seq 2 9); do
  for _ in $(seq 100); do xdotool search --name "^DIREVO\[$n\]$" >/dev/null 2>&1 && break; sleep 0.1; done
done
"$direvo" >/dev/null 2>&1 &
eleventh=$!
box=$(window_of "$eleventh" '^DIREVO$' --onlyvisible) || fail "no message box for the eleventh instance"
import -window root "$out/program_instance_limit.png"
xdotool windowfocus --sync "$box" key Return 2>/dev/null || xdotool key Return
wait_for_exit "$eleventh"
[ "$code" -eq 1 ] || fail "the eleventh instance ended with $code"
echo "instance limit: the eleventh instance showed its box and ended with 1"
for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
pids=()

# Exit while the main routine runs: ends after about two seconds with code 0.
"$direvo" >/dev/null 2>&1 &
prog=$!
pids+=($prog)
main=$(window_of "$prog" '^DIREVO$') || fail "no main window"
wait_for dropped_in "$main" || fail "the main window did not drop in"
xdotool windowfocus --sync "$main" key s
sleep 0.5
xdotool windowfocus --sync "$main" key x
t0=$(date +%s%N)
wait_for_exit "$prog"
ms=$(( ($(date +%s%N) - t0) / 1000000 ))
[ "$code" -eq 0 ] || fail "Exit ended with $code"
[ "$ms" -ge 1500 ] && [ "$ms" -lt 5000 ] || fail "Exit took $ms ms"
echo "exit while running: code 0 after $ms ms"

# The main window's close box ends the program as Exit does.
"$direvo" >/dev/null 2>&1 &
prog=$!
pids+=($prog)
main=$(window_of "$prog" '^DIREVO$') || fail "no main window"
wait_for dropped_in "$main" || fail "the main window did not drop in"
eval "$(xdotool getwindowgeometry --shell "$main")"
xdotool mousemove --window "$main" $((WIDTH - 14)) 13 click 1  # the close box
for _ in $(seq 100); do kill -0 "$prog" 2>/dev/null || break; sleep 0.1; done
kill -0 "$prog" 2>/dev/null && fail "the close box left the program running"
wait_for_exit "$prog"
[ "$code" -eq 0 ] || fail "the close box ended the program with $code"
echo "close box: the program ended with code 0"
echo "passed"

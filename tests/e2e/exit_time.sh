#!/usr/bin/env bash
# How soon each program ends after Exit (the X key in the main window) when its main
# routine can end by itself: the sandbox idle and with its main routine started, the
# player playing a movie and paused with a log. Each ends well within a second (the
# bound is generous: the aim is 0.3 s), and the player's log keeps its last line.
# (Exit while the main routine cannot end by itself is program.sh's case.)
set -euo pipefail
direvo=$(realpath "$1")
sandbox=$(realpath "$2")
sample=$(realpath "$3")
out=$(realpath -m "${4:-.}")
mkdir -p "$out"
test_name=exit_time
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
cd "$work"
"$sample" movie.avi >/dev/null
bound_ms=1000

start() {
  "$1" >"$out/exit_time_stdout.txt" 2>&1 &
  pid=$!
  main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
  wait_for dropped_in "$main" || fail "the main window did not drop in"
}
# exit_within WHAT: X in the main window; the program must end with 0 within the bound.
exit_within() {
  xdotool windowfocus --sync "$main" key x
  local t0 code=0 ms
  t0=$(date +%s%N)
  wait "$pid" || code=$?
  ms=$((($(date +%s%N) - t0) / 1000000))
  pid=""
  [ "$code" -eq 0 ] || fail "$1: Exit ended the program with $code"
  [ "$ms" -lt "$bound_ms" ] || fail "$1: the program ended $ms ms after Exit"
  echo "$1: ended $ms ms after Exit"
}

start "$sandbox"
exit_within "sandbox, idle"

start "$sandbox"
xdotool windowfocus --sync "$main" key s
sleep 0.5
exit_within "sandbox, main routine started"

start "$direvo"
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
window_of "$pid" '^DIREVO window\(100%\)$' >/dev/null || fail "no frame window"
sleep 1
exit_within "player, playing"

# Paused, text window 0 logging, and a last line printed just before Exit.
start "$direvo"
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
box=$(window_of "$pid" '^ButtonBox$') || fail "no button box"
text=$(window_of "$pid" '^TextWindow 0$') || fail "no text window 0"
window_of "$pid" '^DIREVO window\(100%\)$' >/dev/null || fail "no frame window"
press_button "$box" 1  # pause
open_popup "$pid" mousemove --window "$text" 60 200 click 3 || fail "no text window menu"
xdotool key Down Down Down Down Return  # Start Log
wait_for test -e DIREVO00.LOG || fail "no log DIREVO00.LOG: $(ls)"
press_button "$box" 13  # View_num+: prints the view frames
exit_within "player, paused with a log"
tail -n 1 DIREVO00.LOG | grep -q '^dt:' || fail "the log lost its last line: $(tail -n 3 DIREVO00.LOG)"
echo "log: ends with \"$(tail -n 1 DIREVO00.LOG | tr -d '\r')\""
echo "passed"

#!/usr/bin/env bash
# The player from end to end on an X display: open a movie in the dialog, pause, mark a
# range, make the multi-view image left to right, and check the windows and that the
# output holds what direvo-compose makes of the same movie and marks.
test_name=player
source "$(dirname "$0")/player_session.sh"
# Client size of a window: its outer size less the frame (4 each side) and caption (19).
client_size() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$((WIDTH - 8))x$((HEIGHT - 27))"
}

cd "$work"
"$sample" movie.avi >/dev/null
"$direvo" >"$out/player_stdout.txt" 2>&1 &
pid=$!
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
frame=$(window_of "$pid" '^DIREVO window\(100%\)$') || fail "no frame window"
[ "$(client_size "$frame")" = "640x360" ] || fail "frame window is $(client_size "$frame")"
box=$(window_of "$pid" '^ButtonBox$') || fail "no button box"

press() { press_button "$box" "$1"; }
press 1   # pause
press 8   # << : frame 1, position 2
press 14  # mark< at 2
press 7   # > 10: frame 11, position 12
press 16  # mark> at 12
press 19  # make>
hello=$(window_of "$pid" '^Hello,there!\(100%\)$') || fail "no output window"
multi=$(window_of "$pid" '^Multi View\(') || fail "no multi-view window"
workwin=$(window_of "$pid" '^work\(') || fail "no work window"
[ "$(client_size "$hello")" = "800x480" ] || fail "output is $(client_size "$hello")"
"$compose" --movie movie.avi --left 2 --right 12 --out expected.png
# How many pixels of the output window's client area differ from expected.png.
shown_differs() {
  eval "$(xdotool getwindowgeometry --shell "$hello")"
  import -window root -crop "800x480+$((X + 4))+$((Y + 23))" +repage shown.png
  compare -metric AE shown.png expected.png null: 2>&1 || true
}
shows_expected() { [ "$(shown_differs)" = "0" ]; }
wait_for shows_expected || true
import -window root "$out/player_made.png"
echo "windows: frame $(client_size "$frame"), multi view $(client_size "$multi"), work $(client_size "$workwin"), output $(client_size "$hello")"

diff=$(shown_differs)
[ "$diff" = "0" ] || { cp shown.png expected.png "$out/"; fail "output differs from direvo-compose in $diff pixels"; }
echo "output equals direvo-compose --movie --left 2 --right 12"

# Paused and untouched, then stopped: the program and the X server together stay
# well below a fifth of one core.
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
server=$(pgrep -f "Xvfb $display " | head -n 1)
cpu_percent() {
  local before after
  before=$(( $(ticks "$pid") + $(ticks "$server") ))
  sleep 3
  after=$(( $(ticks "$pid") + $(ticks "$server") ))
  echo $(( (after - before) * 100 / $(getconf CLK_TCK) / 3 ))
}
paused=$(cpu_percent)
main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
xdotool windowfocus --sync "$main" key c  # Stop
sleep 0.5
stopped=$(cpu_percent)
echo "idle processor use: paused ${paused}%, stopped ${stopped}% of one core"
[ "$paused" -lt 20 ] || fail "paused, the program and X server use ${paused}% of a core"
[ "$stopped" -lt 20 ] || fail "stopped, the program and X server use ${stopped}% of a core"
echo "passed"

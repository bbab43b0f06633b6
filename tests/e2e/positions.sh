#!/usr/bin/env bash
# Windows moved by someone else (here xdotool, as a window manager or a user on a desktop
# would) stay where they were put: the window information lists them there, a caption
# drag starts there, a zoom key, F11 twice, a rotation and make> keep them there.
test_name=positions
source "$(dirname "$0")/player_session.sh"
corner() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "${X},${Y}"
}
# at_corner WINDOW X Y: whether the window's outer top-left corner is (X, Y).
at_corner() { [ "$(corner "$1")" = "$2,$3" ]; }
# move_outside WINDOW X Y: moves the window as someone else would and waits until the
# X server has it there.
move_outside() {
  xdotool windowmove "$1" "$2" "$3"
  wait_for at_corner "$1" "$2" "$3" || fail "xdotool could not move $1 to $2,$3"
}
# stays_at WINDOW X Y: the window is at (X, Y) and still there a moment later (a window
# moved back by the program would have left by then).
stays_at() {
  wait_for at_corner "$1" "$2" "$3" || return 1
  sleep 0.5
  at_corner "$1" "$2" "$3"
}
clipboard() { xclip -o -selection clipboard 2>/dev/null || true; }
clipboard_has() { clipboard | grep -q -- "$1"; }
# The one window of the program with this title (a rotation makes a new one).
only_window() { window_of "$pid" "$1" --onlyvisible; }

cd "$work"
"$sample" movie.avi >/dev/null
"$direvo" >"$out/positions_stdout.txt" 2>&1 &
pid=$!
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
box=$(window_of "$pid" '^ButtonBox$') || fail "no button box"
ibox=$(window_of "$pid" '^InputBox$') || fail "no input box"
text=$(window_of "$pid" '^TextWindow 0$') || fail "no text window 0"
frame=$(window_of "$pid" '^DIREVO window\(100%\)$') || fail "no frame window"
wait_for dropped_in "$main" || fail "the main window did not drop in"
press() { press_button "$box" "$1"; }
press 1 # pause: the frame window stops changing
import -window root "$out/positions_start.png"

# Every kind of window, moved from outside (the button box to the top right, where the
# output made later does not cover it); then Ctrl+W's source lists them there.
move_outside "$frame" 40 40
move_outside "$text" 40 620
move_outside "$ibox" 700 560
move_outside "$box" 1060 40
move_outside "$main" 300 420
xdotool windowfocus --sync "$main" key ctrl+w
wait_for clipboard_has 'TAV_OpenButtonBox(1060,40,' || fail "the source lists the button box at $(clipboard | grep OpenButtonBox)"
clipboard >source.txt
cp source.txt "$out/positions_source.txt"
grep -q 'TAV_CreateImage[A-Z0-9]*(0,"[^"]*",40,40,' source.txt || fail "image window 0 listed as $(grep 'Image[A-Z0-9]*(0,' source.txt)"
grep -q 'TAV_OpenTextWindow(0,40,620,' source.txt || fail "text window 0 listed as $(grep 'TextWindow(0' source.txt)"
grep -q 'TAV_OpenInputBox(700,560,' source.txt || fail "the input box listed as $(grep OpenInputBox source.txt)"
import -window root "$out/positions_moved.png"
echo "window information: the source lists every window where xdotool put it"

# A caption drag of the main window starts where it is now: 60 right and 50 down.
xdotool mousemove 400 430 mousedown 1
for step in 1 2 3 4 5; do xdotool mousemove $((400 + 12 * step)) $((430 + 10 * step)); sleep 0.05; done
xdotool mouseup 1
stays_at "$main" 360 470 || fail "the dragged main window is at $(corner "$main"), not 360,470"
echo "caption drag: the main window went from 300,420 to $(corner "$main")"

# A zoom key keeps the corner.
xdotool windowfocus --sync "$frame" key ctrl+KP_Subtract
zoomed() { [ "$(xdotool getwindowname "$frame")" != "DIREVO window(100%)" ]; }
wait_for zoomed || fail "Ctrl+- did not zoom"
stays_at "$frame" 40 40 || fail "zoomed, the frame window is at $(corner "$frame"), not 40,40"
echo "zoom key: the frame window, now $(xdotool getwindowname "$frame"), is at $(corner "$frame")"

# make> opens the output; moved, make> again opens it where it was moved to.
press 8  # <<
press 14 # mark< at 2
press 7  # > 10
press 16 # mark> at 12
press 19 # make>
hello=$(only_window '^Hello,there!\(100%\)$') || fail "no output window"
move_outside "$hello" 240 150
press 19 # make> again
gone() { ! xdotool getwindowname "$hello" >/dev/null 2>&1; }
wait_for gone || fail "make> did not make the output again"
hello=$(only_window '^Hello,there!\(100%\)$') || fail "no new output window"
stays_at "$hello" 240 150 || fail "the new output is at $(corner "$hello"), not 240,150"
echo "make>: the new output opened at $(corner "$hello")"

# F11 twice gives the window back where it was moved to.
move_outside "$hello" 220 130
xdotool windowfocus --sync "$hello" key F11
wait_for at_corner "$hello" 0 0 || fail "F11 did not present the output"
import -window root "$out/positions_f11.png"
xdotool windowfocus --sync "$hello" key F11
stays_at "$hello" 220 130 || fail "after F11 twice the output is at $(corner "$hello"), not 220,130"
echo "F11 twice: the output came back at $(corner "$hello")"

# A rotation makes the window again, where it was moved to: ProcessMenu (middle button),
# Process..., R. Rotate (after Invert).
move_outside "$hello" 200 110
menus_closed=$(visible_windows "$pid")
open_popup "$pid" mousemove --window "$hello" 300 200 click 2 || fail "no processing menu"
before=$(visible_windows "$pid")
xdotool key Down Right
wait_for shows_new_window "$pid" "$before" || fail "no Process submenu"
xdotool key Down Return
rotated() {
  local id
  id=$(xdotool search --all --onlyvisible --pid "$pid" --name '^Hello,there!\(' 2>/dev/null | head -n 1)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
  [ "$WIDTH" -lt "$HEIGHT" ] && hello=$id
}
wait_for rotated || fail "the output was not rotated"
stays_at "$hello" 200 110 || fail "rotated, the output is at $(corner "$hello"), not 200,110"
import -window root "$out/positions_rotated.png"
echo "rotation: the output was made again at $(corner "$hello")"
echo "passed"

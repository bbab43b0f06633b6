#!/usr/bin/env bash
# The image editor as a person uses it in the player: make the lenticular picture, save
# it from the output window's menu through the save dialog as PNG, and compare it with
# what direvo-compose makes of the same movie and marks; then read out one pixel of it
# with the Information menu and find the readout in text window 0's log once the program
# has ended.
test_name=editor
source "$(dirname "$0")/player_session.sh"

cd "$work"
"$sample" movie.avi >/dev/null
"$direvo" >"$out/editor_stdout.txt" 2>&1 &
pid=$!
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
box=$(window_of "$pid" '^ButtonBox$') || fail "no button box"
text=$(window_of "$pid" '^TextWindow 0$') || fail "no text window 0"
# The movie's window opens when the player starts playing: from then on it takes buttons.
window_of "$pid" '^DIREVO window\(100%\)$' >/dev/null || fail "no frame window"
for i in 1 8 14 7 16 19; do press_button "$box" "$i"; done  # pause, <<, mark<, > 10, mark>, make>
hello=$(window_of "$pid" '^Hello,there!\(100%\)$') || fail "no output window"

# Right button: ImageMenu; S is "&Save as". The dialog starts on BMP: the name, then Tab
# to the file types, P for PNG, and Return saves.
open_popup "$pid" mousemove --window "$hello" 300 200 click 3 || fail "no image menu"
import -window root "$out/editor_image_menu.png"
xdotool key s
dialog=$(window_of "$pid" '^Save as$' --onlyvisible) || fail "no save dialog"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 20 lenticular
xdotool key Tab
sleep 0.2
xdotool key p
sleep 0.2
import -window root "$out/editor_save_dialog.png"
xdotool key Return
# The picture is written aside and renamed into place: once it is there, it is whole.
wait_for test -s lenticular.png || fail "nothing saved as lenticular.png: $(ls)"

"$compose" --movie movie.avi --left 2 --right 12 --out expected.png
[ "$(identify -format '%wx%h' lenticular.png)" = "800x480" ] || fail "saved $(identify lenticular.png)"
diff=$(compare -metric AE lenticular.png expected.png null: 2>&1 || true)
[ "$diff" = "0" ] || { cp lenticular.png expected.png "$out/"; fail "saved picture differs from direvo-compose in $diff pixels"; }
if cmp -s lenticular.png expected.png; then same="the same bytes"; else same="the same pixels"; fi
echo "saved lenticular.png: $same as direvo-compose --movie --left 2 --right 12"

# Text window 0's log: its menu's fourth entry is "Start Log".
open_popup "$pid" mousemove --window "$text" 60 200 click 3 || fail "no text window menu"
xdotool key Down Down Down Down Return
wait_for test -e DIREVO00.LOG || fail "no log DIREVO00.LOG: $(ls)"

# Middle button: ProcessMenu; "Information..." is its second entry and "Pixel" the first
# of that submenu. Then one click on the pixel.
menus_closed=$(visible_windows "$pid")
open_popup "$pid" mousemove --window "$hello" 300 200 click 2 || fail "no processing menu"
before=$(visible_windows "$pid")
xdotool key Down Down Right
wait_for shows_new_window "$pid" "$before" || fail "no Information submenu"
import -window root "$out/editor_information_menu.png"
xdotool key Return
# Once the menus are gone the chosen command is queued before the click that follows.
menus_gone() { [ "$(visible_windows "$pid")" = "$menus_closed" ]; }
wait_for menus_gone || fail "the menus stayed open"
# At zoom 100 the client point is the picture point; the client area lies inside the
# frame (4) and below the caption (19).
xdotool mousemove --window "$hello" $((4 + 123)) $((23 + 45)) click 1
sleep 1
import -window root "$out/editor_readout.png"
# Exit closes the log, and with that the readout is in the file.
main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
xdotool windowfocus --sync "$main" key x
wait_for grep -q '(Y,I,Q)' DIREVO00.LOG || fail "no readout in the log: $(cat DIREVO00.LOG)"

rgb=$(convert expected.png -format '%[fx:round(255*p{123,45}.r)],%[fx:round(255*p{123,45}.g)],%[fx:round(255*p{123,45}.b)]' info:)
grep -q '^(X,Y)=(123,45)' DIREVO00.LOG || fail "readout of another point: $(cat DIREVO00.LOG)"
grep -q "^(R,G,B)=($rgb)" DIREVO00.LOG || fail "readout is not ($rgb): $(cat DIREVO00.LOG)"
echo "readout of (123,45): $(grep -A5 '^(X,Y)' DIREVO00.LOG | tr -d '\r' | tr '\n' ' ')"
echo "passed"

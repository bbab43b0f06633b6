#!/usr/bin/env bash
# Image files in the sandbox as a person uses them: Save as asks before it replaces the
# file it is about to write, and No keeps that file; what cannot be saved, loaded,
# dropped or made is told in one line of the main window's status line; a picture of
# more than 64 Mi pixels is dropped in. The sandbox used writes what its status line
# shows to its output ("status: TEXT"), which is how this script reads it.
set -euo pipefail
sandbox=$(realpath "$1")
out=$(realpath -m "${2:-.}")
mkdir -p "$out"
test_name=files_told
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
cd "$work"

# start FILE...: the sandbox with these files dropped on its main window.
start() {
  "$sandbox" "$@" >status.txt 2>&1 &
  pid=$!
  main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
  wait_for dropped_in "$main" || fail "the main window did not drop in"
}
stop() {
  xdotool windowfocus --sync "$main" key x
  local code=0
  wait "$pid" || code=$?
  pid=""
  [ "$code" -eq 0 ] || fail "Exit ended the sandbox with $code"
}
told() { grep -qxF "status: $1" status.txt; }
expect_told() {
  wait_for told "$1" ||
    fail "the status line never said \"$1\"; it said: $(grep '^status:' status.txt | tail -n 4 | tr '\n' '|')"
  echo "told: $1"
}
# type_lines LINE...: each line typed once text window 0 reads one (the status line says
# "Input text" while it does).
reading() { [ "$(grep '^status:' status.txt | tail -n 1)" = "status: Input text" ]; }
type_lines() {
  local text
  text=$(window_of "$pid" '^TextWindow 0$') || fail "no text window 0"
  for line in "$@"; do
    sleep 0.5  # the line before is taken, and the next prompt printed
    wait_for reading || fail "no line is read for \"$line\""
    xdotool windowfocus --sync "$text" type --delay 30 "$line"
    xdotool key Return
  done
}
# image_window W H BITS: the main window's Image Window command (the popup's fifth entry
# that takes keys: Paste, Start, Stop, Exit, Image Window) with these answers.
image_window() {
  open_popup "$pid" mousemove --window "$main" 120 50 click 3 || fail "no main window menu"
  for _ in 1 2 3 4 5; do xdotool key Down; sleep 0.1; done
  xdotool key Return
  type_lines "$@"
}
# dialog_shown TITLE: the id of the shown dialog TITLE, once there is one.
dialog_shown() { window_of "$pid" "^$1\$" --onlyvisible; }
md5() { md5sum "$1" | cut -d' ' -f1; }

start
image_window 100000 100000 32
expect_told "Image 100000x100000: out of memory"
image_window 20 20 16
expect_told "Bit 16: only 32 or 8"
import -window root "$out/files_told_image_window.png"
image_window 64 48 32
image=$(window_of "$pid" '^000\([0-9]+%\)$') || fail "no image window 000"

# Save as "ow" with the PNG type over an existing ow.png: the question is about ow.png,
# and No (its default answer) writes nothing.
printf 'old picture' >ow.png
old=$(md5 ow.png)
# save_as NAME: Save as from the image window's menu, NAME typed, the PNG type chosen.
save_as() {
  open_popup "$pid" mousemove --window "$image" 30 30 click 3 || fail "no image menu"
  xdotool key s
  dialog=$(dialog_shown 'Save as') || fail "no save dialog"
  xdotool windowfocus --sync "$dialog"
  sleep 0.3
  xdotool key ctrl+a
  xdotool type --delay 20 "$1"
  xdotool key Tab
  sleep 0.2
  xdotool key p
  sleep 0.2
  before=$(visible_windows "$pid")
  xdotool key Return
}
save_as ow
wait_for shows_new_window "$pid" "$before" || fail "Save as replaced ow.png without asking"
sleep 0.3
import -window root "$out/files_told_replace_question.png"
xdotool key Return  # No
sleep 0.5
dialog_shown 'Save as' >/dev/null || fail "No closed the save dialog"
# Without a window manager the focus does not go back to the dialog by itself.
xdotool windowfocus --sync "$dialog" key Escape
dialog_closed() { ! xdotool search --all --onlyvisible --pid "$pid" --name '^Save as$' >/dev/null 2>&1; }
wait_for dialog_closed || fail "the save dialog did not close"
sleep 0.3
[ "$(md5 ow.png)" = "$old" ] || fail "No to the question still replaced ow.png"
[ "$(ls)" = "$(printf 'ow.png\nstatus.txt')" ] || fail "No left files behind: $(ls | tr '\n' ' ')"
echo "save as ow (PNG): asked about ow.png; No kept it"
save_as ow
wait_for shows_new_window "$pid" "$before" || fail "no question the second time"
xdotool key y  # Yes
replaced() { [ "$(md5 ow.png)" != "$old" ]; }
wait_for replaced || fail "Yes did not replace ow.png"
[ "$(identify -format '%m %wx%h' ow.png)" = "PNG 64x48" ] || fail "ow.png is $(identify ow.png)"
echo "save as ow (PNG): Yes replaced ow.png with the 64 x 48 picture"

# A name that cannot be written: a folder that nobody but the superuser may write into,
# or, for the superuser, a folder in the way of the file (typing a path into the dialog
# would race its completion list).
if [ "$(id -u)" -eq 0 ]; then
  mkdir shot.png
  save_as shot
else
  mkdir locked
  chmod 555 locked
  save_as locked/shot
fi
expect_told "Save shot.png: cannot write the file"
import -window root "$out/files_told_unwritable.png"

# Load image file with a file that is no picture.
: >empty.png
open_popup "$pid" mousemove --window "$image" 30 30 click 3 || fail "no image menu"
xdotool key l
dialog=$(dialog_shown 'Load image file') || fail "no load dialog"
xdotool windowfocus --sync "$dialog"
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 20 empty.png
sleep 0.3
xdotool key Return
sleep 1
# A completion list may have taken the first Return.
xdotool search --all --onlyvisible --pid "$pid" --name '^Load image file$' >/dev/null 2>&1 && xdotool key Return
expect_told "Load empty.png: not a readable image"
import -window root "$out/files_told_load.png"
stop

# Drops on the main window: each file that is no picture is told. A PNG header claiming
# 100000 x 100000 pixels (with its checksum) and an empty zlib stream, text named .bmp,
# a PNG cut in half.
printf '\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x01\x86\xa0' >huge.png
printf '\x00\x01\x86\xa0\x08\x02\x00\x00\x00\x27\x30\x9c\x9f\x00\x00\x00\x08\x49\x44\x41\x54' >>huge.png
printf '\x78\x9c\x03\x00\x00\x00\x00\x01\x48\x06\x89\xd2\x00\x00\x00\x00\x49\x45\x4e\x44' >>huge.png
printf '\xae\x42\x60\x82' >>huge.png
echo 'just text' >text.bmp
convert -size 40x40 xc:'#33AA33' whole.png
head -c "$(($(stat -c %s whole.png) / 2))" whole.png >half.png
for drop in "huge.png:picture too large" "text.bmp:not a readable image" \
  "half.png:not a readable image" "empty.png:not a readable image"; do
  start "$work/${drop%%:*}"
  expect_told "Load ${drop%%:*}: ${drop#*:}"
  stop
done

# A picture of 8200 x 8200 (over 64 Mi pixels) is dropped in: a plain PPM file of one
# colour, written here since ImageMagick's own limits refuse to make one that large.
{
  printf 'P6\n8200 8200\n255\n'
  yes $'\x33\x66\xcc' | tr -d '\n' | head -c $((8200 * 8200 * 3)) || true  # yes ends on its broken pipe
} >big.ppm
start "$work/big.ppm"
big=$(window_of "$pid" '^000 big\.ppm\([0-9]+%\)$') || fail "no window for the 8200 x 8200 picture"
# The window is made first; the picture is drawn into it once decoded.
big_shown() {
  eval "$(xdotool getwindowgeometry --shell "$big")"
  import -window root -crop "8x8+$((X + 20))+$((Y + 40))" +repage -format '%k %[pixel:p{0,0}]' info:
}
shows_big() { [ "$(big_shown)" = "1 srgb(51,102,204)" ]; }
wait_for shows_big || fail "the big picture's window shows $(big_shown)"
import -window root "$out/files_told_big_picture.png"
told "Load big.ppm: picture too large" && fail "the big picture was refused"
echo "drop: 8200 x 8200 picture shown in window 000"
rm big.ppm
stop
echo "passed"

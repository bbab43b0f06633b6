#!/usr/bin/env bash
# The image sandbox on an X display, as a person uses it: the main window's popup menu
# makes an image window of a typed size, and Ctrl+W puts the source text that re-creates
# the windows on the clipboard, read back here by xclip. Then pictures dropped on the
# main window and one pasted from another program open windows of their own.
set -euo pipefail
sandbox=$(realpath "$1")
dropping=$(realpath "$2")
out=$(realpath -m "${3:-.}")
mkdir -p "$out"
test_name=sandbox
source "$(dirname "${BASH_SOURCE[0]}")/session.sh"
# exit_with_x WHAT: presses X in the main window; the program must end with status 0.
exit_with_x() {
  xdotool windowfocus --sync "$main" key x
  local code=0
  wait "$pid" || code=$?
  pid=""
  [ "$code" -eq 0 ] || fail "Exit ended $1 with $code"
}
cd "$work"

"$sandbox" >"$out/sandbox_stdout.txt" 2>&1 &
pid=$!
main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
wait_for dropped_in "$main" || fail "the main window did not drop in"

# Right click in the main window, then the fifth entry that takes the keyboard:
# Paste, Start, Stop, Exit, Image Window.
open_popup "$pid" mousemove --window "$main" 120 50 click 3 || fail "no main window menu"
for _ in 1 2 3 4 5; do xdotool key Down; sleep 0.1; done
xdotool key Return

text=$(window_of "$pid" '^TextWindow 0$') || fail "Image Window opened no text window"
for value in 64 48 32; do
  sleep 0.7  # the next prompt reads its line
  xdotool windowfocus --sync "$text" type --delay 30 "$value"
  xdotool key Return
done
image=$(window_of "$pid" '^000\([0-9]+%\)$') || fail "no image window 000"
name=$(xdotool getwindowname "$image")
eval "$(xdotool getwindowgeometry --shell "$image")"
echo "image window: \"$name\", outer ${WIDTH}x$HEIGHT"
sleep 0.5
import -window root "$out/sandbox_image_window.png"

# Window information: the generated source goes to the clipboard.
xdotool windowfocus --sync "$main" key ctrl+w
source=""
for _ in $(seq 50); do
  source=$(xclip -selection clipboard -o 2>/dev/null || true)
  grep -q 'TAV_CreateImage(0,' <<<"$source" && break
  sleep 0.1
done
line=$(grep -m1 'TAV_CreateImage(0,' <<<"$source") || fail "the clipboard holds no TAV_CreateImage line for window 0"
echo "clipboard: $line"
grep -q '"000"' <<<"$line" || fail "the TAV_CreateImage line does not carry the title \"000\""
grep -q ', *64, *48,' <<<"$line" || fail "the TAV_CreateImage line does not carry the size 64 x 48"
printf '%s\n' "$source" >"$out/sandbox_window_info.txt"
import -window root "$out/sandbox_window_info.png"

exit_with_x "the sandbox"

# Two pictures dropped on the main window, then one pasted from xclip with Ctrl+V.
convert -size 160x90 xc:'#CC3300' a.png
convert -size 120x80 xc:'#0066CC' b.png
convert -size 150x100 xc:'#33AA33' pasted.png
"$dropping" "$work/a.png" "$work/b.png" >>"$out/sandbox_stdout.txt" 2>&1 &
pid=$!
main=$(window_of "$pid" '^DIREVO$') || fail "no main window"
window_of "$pid" '^000 a\.png\(100%\)$' >/dev/null || fail "no window 000 for the first dropped file"
window_of "$pid" '^001 b\.png\(100%\)$' >/dev/null || fail "no window 001 for the second dropped file"
echo "drop: windows \"000 a.png\" and \"001 b.png\""
# xclip serves the picture until it is stopped (in the foreground, so that it can be).
xclip -quiet -selection clipboard -t image/png -i pasted.png >/dev/null 2>&1 &
xclip_pid=$!
offers_png() { xclip -selection clipboard -o -t TARGETS 2>/dev/null | grep -qx image/png; }
wait_for offers_png || fail "xclip does not offer the picture"
xdotool windowfocus --sync "$main" key ctrl+v
pasted=$(window_of "$pid" '^002\(100%\)$') || fail "Ctrl+V opened no window 002"
# The colours shown in the pasted window's client area: their count and the first one.
pasted_colors() {
  eval "$(xdotool getwindowgeometry --shell "$pasted")"
  import -window root -crop "150x100+$((X + 4))+$((Y + 23))" +repage shown.png
  convert shown.png -format '%k %[pixel:p{0,0}]' info:
}
shows_pasted() { [ "$(pasted_colors)" = "1 srgb(51,170,51)" ]; }
wait_for shows_pasted || true
colors=$(pasted_colors)
[ "$colors" = "1 srgb(51,170,51)" ] || fail "the pasted window shows $colors"
echo "paste: window \"002\" shows the 150 x 100 picture from xclip"
import -window root "$out/sandbox_drop_paste.png"
exit_with_x "the dropping sandbox"
echo "passed"

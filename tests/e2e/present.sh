#!/usr/bin/env bash
# F11 on the player's output from end to end on an X display: the composed picture
# fills the screen from its top-left pixel, pixel for pixel, on black with nothing over
# it; a new Pitch typed into the input box shows there at once; F11 again gives the
# window back where it was, with its caption.
test_name=present
source "$(dirname "$0")/player_session.sh"
geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "${X},${Y} ${WIDTH}x${HEIGHT}"
}
# The screen equals the picture at its top-left corner on black: 0 differing pixels.
screen_differs_from() {
  import -window root shot.png
  convert -size "$(xdpyinfo | awk '/dimensions:/ {print $2}')" xc:black "$1" \
    -gravity northwest -composite screen_expected.png
  compare -metric AE shot.png screen_expected.png null: 2>&1 || true
}
# screen_shows PICTURE: whether the screen is the picture at its top-left corner on black.
screen_shows() { [ "$(screen_differs_from "$1")" = "0" ]; }

cd "$work"
"$sample" movie.avi >/dev/null
"$direvo" >"$out/present_stdout.txt" 2>&1 &
pid=$!
answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
box=$(window_of "$pid" '^ButtonBox$') || fail "no button box"
press() { press_button "$box" "$1"; }
# The movie's window opens when the player starts playing: from then on it takes buttons.
window_of "$pid" '^DIREVO window\(100%\)$' >/dev/null || fail "no frame window"
press 1   # pause
press 8   # <<
press 14  # mark< at 2
press 7   # > 10
press 16  # mark> at 12
press 19  # make>
hello=$(window_of "$pid" '^Hello,there!\(100%\)$') || fail "no output window"
before=$(geometry "$hello")
"$compose" --movie movie.avi --left 2 --right 12 --out expected.png

xdotool windowfocus --sync "$hello" key F11
wait_for screen_shows expected.png || true
diff=$(screen_differs_from expected.png)
cp shot.png "$out/present_f11.png"
[ "$diff" = "0" ] || fail "presented, the screen differs from the picture on black in $diff pixels"
echo "F11: the screen is the composed picture at its top-left corner, black around it"

# A new Pitch, typed into the input box (Tab four times to the Pitch field), while the
# picture stays on the screen.
ibox=$(window_of "$pid" '^InputBox$') || fail "no input box"
xdotool windowfocus --sync "$ibox"
sleep 0.3
xdotool key Tab Tab Tab Tab ctrl+a
xdotool type --delay 20 "20"
xdotool key Return
"$compose" --movie movie.avi --left 2 --right 12 --pitch 20 --out expected20.png
wait_for screen_shows expected20.png || true
diff=$(screen_differs_from expected20.png)
cp shot.png "$out/present_pitch20.png"
[ "$diff" = "0" ] || fail "after Pitch 20 the screen differs from the new picture in $diff pixels"
echo "Pitch 20: the new picture is on the screen"

xdotool windowfocus --sync "$hello" key F11
wait_for at_geometry "$hello" "$before" || true
import -window root "$out/present_back.png"
after=$(geometry "$hello")
[ "$after" = "$before" ] || fail "the window came back at $after, not $before"
xdotool search --pid "$pid" --name '^Hello,there!\(100%\)$' >/dev/null || fail "the caption changed"
echo "F11 again: the window is back at $after with its caption"
echo "passed"

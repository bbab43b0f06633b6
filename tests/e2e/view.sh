#!/usr/bin/env bash
# direvo-view from end to end on an X display: the composed picture fills the screen from
# its top-left pixel on black, exactly what direvo-compose makes of the same views; keys
# tune the geometry and the next picture shows it; Ctrl+S saves the tuning as a profile
# that direvo-compose reads back to the same picture; the overlay comes and goes leaving
# the panel's pixels untouched; q ends it with 0. A movie plays to its end by itself,
# damaged data is passed over and named once, and bad starts end with status 2.
set -euo pipefail
test_name=view
view=$(realpath "$1")
compose=$(realpath "$2")
out=$(realpath -m "${3:-.}")
mkdir -p "$out"
source "$(dirname "$0")/session.sh"

screen_differs_from() {
  import -window root shot.png
  convert -size "$(xdpyinfo | awk '/dimensions:/ {print $2}')" xc:black "$1" \
    -gravity northwest -composite screen_expected.png
  compare -metric AE shot.png screen_expected.png null: 2>&1 || true
}
screen_shows() { [ "$(screen_differs_from "$1")" = "0" ]; }
screen_lacks() { ! screen_shows "$1"; }
expect_screen() {  # PICTURE WHAT
  wait_for screen_shows "$1" || true
  local diff
  diff=$(screen_differs_from "$1")
  [ "$diff" = "0" ] || { cp shot.png "$out/view_$2.png"; fail "$2: the screen differs from the picture in $diff pixels"; }
  echo "$2: the screen is the composed picture at its top-left corner, black around it"
}
key() { xdotool windowfocus --sync "$win" key "$@"; }

cd "$work"
export XDG_CONFIG_HOME=$work/config
convert -size 400x150 -seed 7 plasma:fractal views.png
geometry=(--width 640 --height 400 --pitch 9.5 --slant 0.3333 --offset 2)
"$compose" --multiview views.png --views 4 --method fine "${geometry[@]}" --out expected.png
"$view" views.png --views 4 "${geometry[@]}" >"$out/view_stdout.txt" 2>&1 &
pid=$!
win=$(window_of "$pid" '^direvo-view') || fail "no viewer window"
expect_screen expected.png start

# Pitch twice wider, the offset a tenth back, the slant a hundredth up, blue-green-red:
# saved, the profile composes the same picture again.
key bracketright bracketright comma shift+apostrophe b ctrl+s
wait_for test -s config/direvo/panel.toml || fail "Ctrl+S saved no profile"
grep -q '^subpixels = "bgr"$' config/direvo/panel.toml || fail "the profile lacks bgr: $(cat config/direvo/panel.toml)"
grep -q '^views = 4$' config/direvo/panel.toml || fail "the profile lacks the views"
"$compose" --multiview views.png --panel config/direvo/panel.toml --out tuned.png
cmp -s expected.png tuned.png && fail "the keys changed nothing"
expect_screen tuned.png tuned

key question
wait_for screen_lacks tuned.png || fail "? showed no overlay"
key question
expect_screen tuned.png "overlay gone"

key q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "q did not end the viewer"
wait "$pid" || fail "q ended the viewer with status $?"
pid=""
echo "q: the viewer ended with 0"

# A movie plays to its end by itself and says what it showed.
ffmpeg -v error -y -f lavfi -i testsrc2=size=320x60:rate=25 -frames:v 25 -c:v libx264 \
  -pix_fmt yuv420p movie.mp4
timeout 20 "$view" movie.mp4 --views 4 --window --width 320 --height 240 >movie.txt 2>&1 ||
  fail "the movie ended with status $?: $(cat movie.txt)"
# Every frame shown or dropped (a slow sanitizer build may drop some), none damaged.
read -r shown dropped damaged < <(sed -n 's/.* \([0-9]*\) frames shown, \([0-9]*\) dropped, \([0-9]*\) damaged/\1 \2 \3/p' movie.txt)
[ "$((shown + dropped))" = 25 ] && [ "$damaged" = 0 ] && [ "$shown" -gt 0 ] ||
  fail "movie: $(cat movie.txt)"
echo "movie: played to its end, $(grep -o '[0-9]* frames shown.*' movie.txt)"

# Damaged data in the middle of a movie is passed over and named once.
ffmpeg -v error -y -f lavfi -i testsrc2=size=320x60:rate=25 -frames:v 50 -c:v libx264 \
  -pix_fmt yuv420p -g 10 damaged.mp4
size=$(stat -c %s damaged.mp4)
dd if=/dev/zero of=damaged.mp4 bs=1 seek=$((size / 2)) count=3000 conv=notrunc status=none
timeout 20 "$view" damaged.mp4 --views 4 --window --width 320 --height 240 >damaged.txt 2>&1 ||
  fail "the damaged movie ended with status $?: $(cat damaged.txt)"
[ "$(grep -c 'damaged data near frame' damaged.txt)" = 1 ] || fail "damaged: $(cat damaged.txt)"
echo "damaged: $(head -n 1 damaged.txt)"

# With a sound device (a PulseAudio server of the test's own, playing into nothing) the
# movie's sound plays and the frames follow its clock: the movie takes its own time.
if command -v pulseaudio >/dev/null; then
  mkdir -p pulse/runtime
  HOME=$work/pulse XDG_RUNTIME_DIR=$work/pulse/runtime pulseaudio --daemonize=no -n \
    --exit-idle-time=-1 --use-pid-file=no --disable-shm=yes --log-target=file:/dev/null \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" \
    -L "module-null-sink sink_name=direvo_null rate=48000 channels=2" &
  pids+=($!)
  wait_for test -S pulse/native || fail "PulseAudio did not start"
  ffmpeg -v error -y -f lavfi -i testsrc2=size=320x60:rate=25 -f lavfi -i sine=frequency=440 \
    -t 3 -c:v libx264 -pix_fmt yuv420p -c:a aac -shortest sound.mp4
  start=$(date +%s%N)
  PULSE_SERVER=unix:$work/pulse/native PULSE_CLIENTCONFIG=/dev/null timeout 30 "$view" sound.mp4 \
    --views 4 --window --width 320 --height 240 >sound.txt 2>&1 || fail "sound: status $?: $(cat sound.txt)"
  took=$(( ($(date +%s%N) - start) / 1000000 ))
  grep -q "without sound" sound.txt && fail "sound: $(cat sound.txt)"
  read -r shown dropped < <(sed -n 's/.* \([0-9]*\) frames shown, \([0-9]*\) dropped.*/\1 \2/p' sound.txt)
  [ "$((shown + dropped))" = 75 ] || fail "sound: $(cat sound.txt)"
  [ "$took" -ge 2800 ] && [ "$took" -le 8000 ] || fail "sound: the 3 s movie took $took ms"
  echo "sound: the 3 s movie played with its sound in $took ms"
  PULSE_SERVER=unix:$work/nowhere timeout 30 "$view" sound.mp4 --views 4 --window --width 320 \
    --height 240 >nosound.txt 2>&1 || fail "no device: status $?"
  grep -q "playing without sound: there is no sound output device" nosound.txt ||
    fail "no device: $(cat nosound.txt)"
  echo "no device: $(head -n 1 nosound.txt)"
else
  echo "sound: skipped, PulseAudio is not installed"
fi

# A movie cut short ends where its frames do, and says so.
ffmpeg -v error -y -f lavfi -i testsrc2=size=320x60:rate=25 -frames:v 50 -c:v mjpeg -q:v 3 cut.avi
head -c $(($(stat -c %s cut.avi) / 2)) cut.avi >short.avi
timeout 20 "$view" short.avi --views 4 --window --width 320 --height 240 >short.txt 2>&1 ||
  fail "the short movie ended with status $?: $(cat short.txt)"
grep -q "the movie ends at frame 2[0-9] of the 50 it announces" short.txt || fail "short: $(cat short.txt)"
echo "short: $(head -n 1 short.txt)"

# Bad starts: one line, status 2.
printf 'pitch = 20\nslope = 1\n' >bad.toml
echo "not a picture" >views.txt
while IFS='|' read -r args words; do
  set +e
  # shellcheck disable=SC2086
  "$view" $args >refusal.txt 2>&1
  status=$?
  set -e
  [ "$status" = 2 ] || fail "direvo-view $args: status $status"
  [ "$(wc -l <refusal.txt)" = 1 ] || fail "direvo-view $args: $(cat refusal.txt)"
  grep -q -- "$words" refusal.txt || fail "direvo-view $args: $(cat refusal.txt)"
done <<'TABLE'
views.txt --views 4|neither a picture nor a movie
views.png --grid 3x2|does not divide
views.png --views 4 --panel bad.toml|line 2
views.png --views 4 --screen 5|there is no screen 5
views.png|--views V
views.png --views 4 --pitch nan|--pitch
TABLE
echo "bad starts: one line each, status 2"
echo "passed"

#!/usr/bin/env bash
# The player on a damaged movie: FFmpeg's own complaints stay off the terminal. The
# same movie played with FFmpeg's warnings let through (DIREVO_FFMPEG_LOGLEVEL set by
# hand) shows that the damage does make FFmpeg complain.
test_name=player_quiet
source "$(dirname "$0")/player_session.sh"

cd "$work"
"$sample" movie.avi --frames 40 --width 160 --height 96 >/dev/null
# Text written over the middle of the file at four places: broken frames and a broken
# index entry.
size=$(stat -c %s movie.avi)
for part in 1 2 3 4; do
  printf 'garbage%.0s' $(seq 120) | dd of=movie.avi bs=1 seek=$((size * part / 5)) conv=notrunc 2>/dev/null
done

# FFmpeg's lines name the part that speaks, "[mjpeg @ 0x55d0...] error count: 64".
ffmpeg_lines() { grep -cE '^\[[A-Za-z0-9_]+ @ 0x' "$1" || true; }
# play LOG [VAR=VALUE]: opens the movie in a new player, lets it play (round and round)
# for three seconds, ends it, and leaves everything it wrote in LOG.
play() {
  local log=$1
  shift
  env "$@" "$direvo" >"$log" 2>&1 &
  pid=$!
  answer_open_dialog "$pid" movie.avi || fail "the open dialog did not take movie.avi"
  window_of "$pid" '^DIREVO window\(100%\)$' >/dev/null || fail "no frame window"
  sleep 3
  import -window root "$out/${test_name}_playing.png"
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}

play "$out/${test_name}_loud.txt" DIREVO_FFMPEG_LOGLEVEL=24
loud=$(ffmpeg_lines "$out/${test_name}_loud.txt")
[ "$loud" -gt 0 ] || fail "the damaged movie made FFmpeg say nothing even when let"
play "$out/${test_name}_stdout.txt"
quiet=$(ffmpeg_lines "$out/${test_name}_stdout.txt")
echo "FFmpeg's lines in three seconds of play: $loud let through, $quiet in the player"
[ "$quiet" -eq 0 ] || fail "FFmpeg wrote $quiet lines while the player played"
echo "passed"

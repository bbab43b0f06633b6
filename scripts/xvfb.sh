# Sourced by the scripts that need an X display: starts a private Xvfb server.

# start_xvfb FIRST LAST [DEPTH]: starts Xvfb (1280 x 1024, DEPTH bits, 24 unless
# given) on the first free display number from FIRST to LAST, waits until it answers,
# and sets $xvfb_display and $xvfb_pid. The caller stops it (kill $xvfb_pid).
start_xvfb() {
  local n
  xvfb_display=""
  for n in $(seq "$1" "$2"); do
    if [ ! -e "/tmp/.X${n}-lock" ] && [ ! -e "/tmp/.X11-unix/X${n}" ]; then
      xvfb_display=":$n"
      break
    fi
  done
  [ -n "$xvfb_display" ] || { echo "no free X display number from $1 to $2" >&2; return 1; }
  # -noreset: a server resetting after its last client left refuses the next one for a
  # moment, and the next test would find no display.
  Xvfb "$xvfb_display" -screen 0 "1280x1024x${3:-24}" -br -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do xdpyinfo -display "$xvfb_display" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "Xvfb on $xvfb_display did not answer" >&2
  return 1
}

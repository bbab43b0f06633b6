# Sourced by the whole-program tests: the X display they run on. The test script's
# display (DIREVO_E2E_DISPLAY) when it gives one, else a private Xvfb server whose
# pid is left in $xvfb for the caller's clean-up.
display=${DIREVO_E2E_DISPLAY:-}
xvfb=""
if [ -z "$display" ]; then
  for n in $(seq 150 199); do [ -e "/tmp/.X${n}-lock" ] || { display=":$n"; break; }; done
  Xvfb "$display" -screen 0 1280x1024x24 -br -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
fi
export DISPLAY=$display QT_QPA_PLATFORM=xcb

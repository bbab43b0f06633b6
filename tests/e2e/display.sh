# Sourced by the whole-program tests: the X display they run on. The test script's
# display (DIREVO_E2E_DISPLAY) when it gives one, else a private Xvfb server whose
# pid is left in $xvfb for the caller's clean-up.
display=${DIREVO_E2E_DISPLAY:-}
xvfb=""
if [ -z "$display" ]; then
  source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/xvfb.sh"
  start_xvfb 150 199
  display=$xvfb_display
  xvfb=$xvfb_pid
fi
export DISPLAY=$display QT_QPA_PLATFORM=xcb

# Sourced by scripts that drive direvo on an X display: finds the program's windows
# and answers its open dialog with a file name, as a user would.

# window_of PID PATTERN [SEARCH OPTION ...]: the id of a window of process PID whose
# name matches PATTERN, waiting up to 15 s for it to appear.
window_of() {
  local pid=$1 pattern=$2 id
  shift 2
  for _ in $(seq 150); do
    id=$(xdotool search --all "$@" --pid "$pid" --name "$pattern" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# The dialog's window can exist before it is shown and take keys only once it is,
# and its name field completes names as the folder is read, so answer_open_dialog
# waits for the shown dialog, types, and presses Return again (then types again)
# while the dialog stays up.

# answer_open_dialog PID NAME: 0 once a dialog of process PID took NAME and closed.
answer_open_dialog() {
  local pid=$1 name=$2 dialog try
  dialog=$(window_of "$pid" '^Open$' --onlyvisible) || return 1
  for try in 1 2 3; do
    xdotool windowfocus --sync "$dialog" 2>/dev/null || true
    sleep 0.3
    if [ "$try" -gt 1 ]; then xdotool key ctrl+a; fi
    xdotool type --delay 20 "$name"
    sleep 0.3
    xdotool key Return
    for _ in $(seq 30); do
      xdotool search --onlyvisible --pid "$pid" --name '^Open$' 2>/dev/null | grep -qx "$dialog" || return 0
      sleep 0.1
    done
    # Still up: a completion list may have taken the first Return.
    xdotool key Return
    sleep 1
    xdotool search --onlyvisible --pid "$pid" --name '^Open$' 2>/dev/null | grep -qx "$dialog" || return 0
  done
  return 1
}

# press_button BOX I: clicks button I of the player's 2 x 12 button box (98 x 26 buttons
# with gaps of 4, below the caption) and gives the player time for one command pass, so
# that presses run in the order given.
press_button() {
  local box=$1 i=$2
  local x=$((4 + 4 + (i % 2) * 102 + 49)) y=$((23 + 4 + (i / 2) * 30 + 13))
  xdotool mousemove --window "$box" "$x" "$y" click 1
  sleep 0.6
}

# wait_for TEST...: 0 as soon as the command TEST succeeds, 1 if it has not within 10 s.
wait_for() {
  for _ in $(seq 100); do "$@" && return 0; sleep 0.1; done
  return 1
}

# visible_windows PID: the ids of the shown windows of process PID, popup menus included.
visible_windows() {
  xdotool search --all --onlyvisible --pid "$1" '' 2>/dev/null | sort || true
}

# shows_new_window PID BEFORE: whether PID shows a window that the list BEFORE lacks.
shows_new_window() {
  [ -n "$(comm -13 <(echo "$2") <(visible_windows "$1"))" ]
}

# open_popup PID XDOTOOL-ARGS...: runs xdotool with the arguments (a click that opens a
# menu) and waits until process PID shows the menu, so that the next keys reach it.
open_popup() {
  local pid=$1 before
  shift
  before=$(visible_windows "$pid")
  xdotool "$@"
  wait_for shows_new_window "$pid" "$before"
}

# at_screen_bottom WINDOW: whether the window's outer bottom edge is the screen's.
at_screen_bottom() {
  local screen_height
  screen_height=$(xdotool getdisplaygeometry | awk '{print $2}')
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ $((Y + HEIGHT)) -eq "$screen_height" ]
}

# dropped_in WINDOW: whether the main window has ended its drop-in. The drop passes the
# bottom edge twice on its way down and bounces back up, so the window must still be at
# the bottom after longer than the whole drop takes (28 steps of 20 ms).
dropped_in() {
  at_screen_bottom "$1" || return 1
  sleep 0.7
  at_screen_bottom "$1"
}

# at_geometry WINDOW "X,Y WxH": whether the window's outer rectangle is that one.
at_geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  [ "${X},${Y} ${WIDTH}x${HEIGHT}" = "$2" ]
}

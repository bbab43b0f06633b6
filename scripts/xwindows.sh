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

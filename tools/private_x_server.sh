# Sourced by the desktop program's window tests and its benchmark (bash): a scratch
# directory $work and a private Xvfb on a free display number, both removed on exit
# together with the program started as $emulator_pid.
work=$(mktemp -d)
xvfb_pid=
emulator_pid=
cleanup() {
  [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
export XDG_RUNTIME_DIR=$work

# Starts the server (Xvfb picks the display number and writes it to fd 1) and exports
# DISPLAY; returns 1, with the reason in $work/xvfb.log, when it does not start. The
# server keeps its keyboard layout when its last client goes (-noreset).
start_private_x_server() {
  Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 300); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(head -1 "$work/display")"
}

# Gives the server's keyboard a layout (us, de, ...); returns 1 when the server does not
# take it. Servers started at the same moment may compile their keymaps into the same
# file, so a failed attempt is tried again.
use_keyboard_layout() {
  for _ in 1 2 3; do
    setxkbmap -layout "$1" 2>>"$work/xvfb.log" &&
      setxkbmap -query | grep -Eq "^layout: +$1\$" && return 0
    sleep 0.5
  done
  return 1
}

# Prints the first window whose name matches the pattern once it exists, waiting at most
# the given tenths of a second; returns 1 (printing nothing) when none came.
wait_for_window() {
  local pattern=$1 tenths=$2 found
  for _ in $(seq "$tenths"); do
    found=$(xdotool search --name "$pattern" 2>/dev/null | head -1)
    [ -n "$found" ] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

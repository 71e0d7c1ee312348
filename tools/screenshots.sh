#!/bin/sh
# Takes the documentation's pictures under a virtual X server (Xvfb):
#   docs/debug_window.png  the "Debug Info" window on a machine booted to BASIC, stopped
#                          at a breakpoint in a loop of its own and stepped
#                          (shell/debug/debug_window_screenshot.cpp);
#   docs/main_window.png   the whole screen with the desktop program's main window and
#                          its display window, once that program is built.
# Usage: tools/screenshots.sh [build directory]   (default: build)
# The ROM images are found as the programs find them ($C64EMU_ROMS, roms/ ...).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
case $build in /*) ;; *) build=$PWD/$build ;; esac
: "${C64EMU_ROMS:=$root/../shared/roms}"
export C64EMU_ROMS

display=:57
Xvfb $display -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb

"$build/shell/debug/c64emu-debug-screenshot" "$root/docs/debug_window.png"
echo "wrote docs/debug_window.png"

desktop=$build/apps/c64emu
if [ -x "$desktop" ]; then
  "$desktop" >/dev/null 2>&1 &
  program=$!
  sleep 6  # power-on and the BASIC start-up screen
  # Without a window manager the main window may lie under the display window: put it
  # below, open its File menu, and take the screen.
  main=$(xdotool search --name "Orvik's C64 Emulator" | head -n 1)
  if [ -n "$main" ]; then
    xdotool windowmove "$main" 100 540
    xdotool windowraise "$main" 2>/dev/null || true
    sleep 1
  fi
  import -window root -crop 760x640+60+60 +repage "$root/docs/main_window.png"
  kill $program 2>/dev/null || true
  echo "wrote docs/main_window.png"
else
  echo "no desktop program at $desktop: main window picture skipped" >&2
fi

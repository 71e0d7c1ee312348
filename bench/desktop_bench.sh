#!/usr/bin/env bash
# Measurements of the desktop program under a private Xvfb:
#   1. one DisplayFrame picture: the classic machine's (64,000 polygons, flush,
#      finished), with the malloc tuning and with glibc's defaults, and the accurate
#      machine's (palette conversion, texture upload, one quad, flush, finished);
#   2. the emulated frames per second of the real program with the speed limit on, over
#      30 seconds: BASIC's jiffy clock TI counts one per frame interrupt (in the accurate
#      machine 19,656 / 16,421 per frame), so TI read twice (by typing PRINT TI) against
#      the wall clock gives the frame rate. Target: 50 +- 2.
#   3. for each model: the frames begun in every second of wall time over 30 seconds at
#      the READY prompt (the program's --fps-trace; target 50 +- 1 in every second), the
#      CPU use of the process meanwhile (target at most 15 % of one core), and its CPU use
#      while the debug window has stopped the machine.
#
#      With a model (classic or accurate) as the third argument, parts 1 and 2 run that
#      machine (the accurate one draws every frame).
#
# Other processes on the machine (builds) disturb both the CPU use and the frame rate:
# run it on a quiet machine, or several times.
#
#   bench/desktop_bench.sh [build dir] [seconds] [model]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
seconds=${2:-30}
model=${3:-classic}
program=${C64EMU_PROGRAM:-$build/apps/c64emu}
probe=$build/tests/desktop/desktop_probe
roms=${C64EMU_ROMS:-$here/../../shared/roms}
export C64EMU_ROMS=$roms

source "$here/../tools/private_x_server.sh"
start_private_x_server || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }

echo "== one picture of the display window"
"$build/bench/display_draw_bench" 60
"$build/bench/display_draw_bench" --no-malloc-tuning 30
"$build/bench/display_draw_bench" --model accurate 200

echo "== emulated frames per second of $program, $model machine, speed limit on, over $seconds s"
"$program" --model "$model" >"$work/program.log" 2>&1 &
emulator_pid=$!
window=$(wait_for_window '^Emulator$' 100) || { echo "no Emulator window"; exit 1; }

# The accurate machine's window (768 x 544) shows the border too: its display area, at
# twice picture x 32 and row 35, is what the probe reads.
crop=
[ "$model" = accurate ] && crop="-crop 640x400+64+70 +repage"
screen() {
  import -window "$window" -depth 8 "ppm:$work/window.ppm" 2>/dev/null &&
    convert "$work/window.ppm" $crop "ppm:$work/capture.ppm" &&
    "$probe" screen "$work/capture.ppm" "$roms/characters.901225-01.bin" | tail -n +2
}
# The number on the line below the last PRINT TI.
jiffies() {
  for _ in $(seq 40); do
    local value
    value=$(screen | awk '/^PRINT TI *$/ {getline; n=$1} END {print n}')
    if [ -n "$value" ] && [ "$value" != "$1" ]; then echo "$value"; return; fi
    sleep 0.25
  done
}
print_ti() {
  xdotool windowfocus --sync "$window" 2>/dev/null
  for key in p r i n t space t i Return; do
    xdotool key --window 0 "$key"
    sleep 0.25
  done
}

for _ in $(seq 60); do screen | grep -q '^READY\.' && break; sleep 0.5; done
print_ti
start=$(date +%s.%N)
first=$(jiffies "")
sleep "$(awk -v s="$seconds" -v a="$start" -v n="$(date +%s.%N)" 'BEGIN {print s - (n - a)}')"
print_ti
end=$(date +%s.%N)
second=$(jiffies "$first")
# The accurate machine's TI counts CIA 1's timer A, 16,421 cycles a jiffy against 19,656
# a frame; the classic machine's counts the frame interrupt.
per_jiffy=1
[ "$model" = accurate ] && per_jiffy=$(awk 'BEGIN {print 16421 / 19656}')
awk -v a="$first" -v b="$second" -v s="$start" -v e="$end" -v f="$per_jiffy" 'BEGIN {
  printf "TI %d -> %d in %.2f s\nemulated frames per second: %.2f\n", a, b, e - s, (b - a) * f / (e - s)
}'

# ---- 3. per-second frame rate and CPU use, both models ---------------------------------

# CPU seconds (user + system) the process has used so far.
cpu_seconds() {
  awk -v hz="$(getconf CLK_TCK)" '{printf "%.3f", ($14 + $15) / hz}' "/proc/$1/stat"
}
# CPU use in percent of one core over the given seconds.
cpu_percent_over() {
  local pid=$1 seconds=$2 a b t0 t1
  a=$(cpu_seconds "$pid"); t0=$(date +%s.%N)
  sleep "$seconds"
  b=$(cpu_seconds "$pid"); t1=$(date +%s.%N)
  awk -v a="$a" -v b="$b" -v s="$t0" -v e="$t1" 'BEGIN {printf "%.1f", 100 * (b - a) / (e - s)}'
}
# Stops the machine with the debug window's Stop button: Extras (the third menu) ->
# "Debug...", then Stop
# (the windows' places as Qt lays them out under Xvfb without a window manager).
stop_in_debug_window() {
  local main dbg X Y
  main=$(xdotool search --name "^Orvik's C64 Emulator\$" | head -1)
  eval "$(xdotool getwindowgeometry --shell "$main")"
  xdotool windowraise "$main"; sleep 0.5
  xdotool mousemove $((X + 100)) $((Y + 10)) click 1; sleep 1
  xdotool mousemove $((X + 125)) $((Y + 55)) click 1; sleep 2
  dbg=$(xdotool search --name '^Debug Info$' | head -1)
  [ -n "$dbg" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$dbg")"
  xdotool mousemove $((X + 455)) $((Y + 73)) click 1; sleep 1
}

kill "$emulator_pid" 2>/dev/null; wait "$emulator_pid" 2>/dev/null
for model in classic accurate; do
  echo "== $model model: frames in each second of wall time over $seconds s at the prompt"
  "$program" --model "$model" --fps-trace >"$work/fps-$model.log" 2>"$work/program-$model.log" &
  emulator_pid=$!
  sleep 8  # power-on and BASIC's prompt
  skip=$(wc -l <"$work/fps-$model.log")
  cpu=$(cpu_percent_over "$emulator_pid" "$seconds")
  tail -n +$((skip + 1)) "$work/fps-$model.log" | head -n "$seconds" >"$work/fps-window.log"
  awk '{print $2}' "$work/fps-window.log" | tr '\n' ' '; echo
  awk '{n++; s += $2; if (min == "" || $2 < min) min = $2; if ($2 > max) max = $2;
        if ($2 < 49 || $2 > 51) bad++}
       END {printf "seconds %d, min %d, max %d, mean %.2f, outside 50 +- 1: %d\n", n, min, max, s / n, bad}' \
    "$work/fps-window.log"
  echo "CPU use at the READY prompt: $cpu % of one core"
  if stop_in_debug_window; then
    echo "CPU use while stopped in the debug window: $(cpu_percent_over "$emulator_pid" 10) % of one core"
  else
    echo "the debug window did not open: no figure while stopped"
  fi
  kill "$emulator_pid" 2>/dev/null; wait "$emulator_pid" 2>/dev/null
  emulator_pid=
done

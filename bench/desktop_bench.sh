#!/usr/bin/env bash
# Measurements of the desktop program under a private Xvfb:
#   1. one DisplayFrame picture: the classic machine's (64,000 polygons, flush,
#      finished), with the malloc tuning and with glibc's defaults, and the accurate
#      machine's (palette conversion, texture upload, one quad, flush, finished);
#   2. the emulated frames per second of the real program with the speed limit on, over
#      30 seconds: BASIC's jiffy clock TI counts one per frame interrupt (in the accurate
#      machine 19,656 / 16,421 per frame), so TI read twice (by typing PRINT TI) against
#      the wall clock gives the frame rate. Target: 50 +- 2.
#
#      With a model (classic or accurate) as the third argument, the program runs that
#      machine (the accurate one draws every frame).
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
window=
for _ in $(seq 100); do
  window=$(xdotool search --name '^Emulator$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "no Emulator window"; exit 1; }

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

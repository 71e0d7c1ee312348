#!/usr/bin/env bash
# The desktop program's sound output at the speed limit: c64emu under a private Xvfb with
# SDL's dummy audio driver (which takes samples at the card's pace, no sound card needed)
# plays cc65's "nachtm" for the given time; its once-a-second status lines give the
# underruns (the card's callback finding the queue empty while sound should play) over
# that time, counted from when the tune has started. Target: 0 over 60 s. With "churn" as
# the fourth argument it plays bench/programs/screen_churn_tone.s instead: a steady tone
# under a picture that changes whole every frame, the most drawing a program can cause.
#
#   bench/desktop_sound_bench.sh [build dir] [seconds] [model] [nachtm|churn]
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
seconds=${2:-60}
model=${3:-classic}
tune=${4:-nachtm}
program=${C64EMU_PROGRAM:-$build/apps/c64emu}
roms=${C64EMU_ROMS:-$here/../../shared/roms}
export C64EMU_ROMS=$roms
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

source "$here/../tools/private_x_server.sh"
start_private_x_server || { echo "Xvfb did not start: $(cat "$work/xvfb.log")"; exit 1; }
if [ "$tune" = churn ]; then
  # (cl65 leaves its object file beside the source: the source is assembled in $work)
  cp "$here/programs/screen_churn_tone.s" "$work/" &&
    cl65 -t c64 -C c64-asm.cfg -u __EXEHDR__ -o "$work/tune.prg" "$work/screen_churn_tone.s" || exit 1
else
  cl65 -t c64 -O -o "$work/tune.prg" /usr/share/cc65/samples/nachtm.c || exit 1
fi

"$program" --model "$model" --sound-status "$work/tune.prg" >"$work/program.log" 2>&1 &
emulator_pid=$!
# The program is started a second after BASIC's prompt; the tune begins at once.
sleep 12
status() { grep '^sound:' "$work/program.log" | tail -1; }
underruns() { status | sed -n 's/.*underruns=\([0-9]*\).*/\1/p'; }
before=$(underruns)
echo "start: $(status)"
sleep "$seconds"
after=$(underruns)
echo "end:   $(status)"
grep -v '^sound:' "$work/program.log" | head -5
# The queue's mean fill over the measured seconds, as latency with the card's 10 ms buffer.
grep '^sound:' "$work/program.log" | tail -n "$seconds" |
  sed -n 's/.*queued=\([0-9]*\).*/\1/p' |
  awk '{ sum += $1; n++ } END { if (n) printf "mean queue %.0f samples: latency %.1f ms\n", sum / n, sum / n / 48 + 10 }'
echo "driver $SDL_AUDIODRIVER, model $model, $tune: underruns over $seconds s: $((after - before))"

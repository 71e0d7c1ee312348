#!/usr/bin/env bash
# Whole-pass speed of the machine: 5,000 frames unthrottled from power-on in each model, and the
# paced rate of 50 frames per second; then the sound chip's cost, in the same run:
# cc65's "nachtm" playing without sound asked for and with --audio in each model (target:
# --audio at least 20x real time, i.e. 1,000 frames per second), and the chip's share of a
# pass from bench/machine_bench (target: at most 10 % with no sound asked for).
#   bench/headless_speed.sh [build-dir]
set -euo pipefail
build="${1:-build}"
runner="$build/apps/c64emu-headless"
echo "Unthrottled, 5000 frames after the 200-frame boot, each model:"
for run in 1 2 3; do
  for model in classic accurate; do "$runner" --model "$model" --frames 5000 --stats | grep '^stats:'; done
done
echo "With the speed limit: the frames-per-second measurement each second for 30 s:"
"$runner" --speed-limit --input-at 0 --frames 1500 --fps-trace --stats

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cl65 -t c64 -O -o "$work/nachtm.prg" /usr/share/cc65/samples/nachtm.c
echo "nachtm playing, 3000 frames (60 s of tune), no sound asked for and with --audio:"
for run in 1 2; do
  for model in classic accurate; do
    for sound in off on; do
      audio=()
      [ "$sound" = on ] && audio=(--audio "$work/nachtm.wav")
      "$runner" --model "$model" --frames 3000 --stats "${audio[@]}" "$work/nachtm.prg" |
        awk -v s="$sound" '/^stats:/ {
          split($5, f, "="); printf "%s sound=%s real-time x%.1f\n", $0, s, f[2] / 50 }'
    done
  done
done
echo "The chip's share of a pass (BM_SidPass against BM_RunLoopPass, CPU time):"
"$build/bench/machine_bench" --benchmark_filter='RunLoopPass|SidPass' \
  --benchmark_format=csv 2>/dev/null | awk -F, '
  /BM_RunLoopPass\/0\/0/ { classic = $4 } /BM_RunLoopPass\/1\/0/ { accurate = $4 }
  /BM_SidPass\/0"/ { idle = $4 } /BM_SidPass\/1"/ { busy = $4 }
  END {
    printf "pass, sound off: classic %.3f ms, accurate %.3f ms; chip alone: sound off %.3f ms, on %.3f ms\n",
      classic, accurate, idle, busy
    printf "chip with no sound asked for: %.1f %% of a classic pass, %.1f %% of an accurate one\n",
      100 * idle / classic, 100 * idle / accurate
  }'

#!/usr/bin/env bash
# Whole-pass speed of the machine: 5,000 frames unthrottled from power-on in each model, and the
# paced rate of 50 frames per second.
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

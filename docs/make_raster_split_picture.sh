#!/usr/bin/env bash
# Regenerates docs/raster_split.png: colour bars from a chain of raster interrupts
# (docs/raster_split.s) in the accurate model, its whole 384 x 272 picture saved with
# --screenshot.
#   docs/make_raster_split_picture.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
ca65 -o "$work/raster_split.o" docs/raster_split.s
ld65 -C tests/timing/programs/timing_program.cfg -o "$work/raster_split.prg" "$work/raster_split.o"
"$build/apps/c64emu-headless" --model accurate --frames 100 --screenshot docs/raster_split.png \
  "$work/raster_split.prg"

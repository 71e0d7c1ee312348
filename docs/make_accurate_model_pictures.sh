#!/usr/bin/env bash
# Makes a picture of each of the accurate model's line-by-line effects from the programs in
# docs/accurate_model/: a raster split (docs/raster_split.s), XSCROLL and YSCROLL, 24 rows
# and 38 columns, the opened top and bottom border with sprites in it, extended colour
# mode, 32 sprites from eight, sprite priority and both collisions. Each is the whole
# 384 x 272 picture as --screenshot saves it.
#   docs/make_accurate_model_pictures.sh [build-dir] [picture-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
pictures="${2:-accurate_model_pictures}"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless
mkdir -p "$pictures"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
picture() {  # name source config frames
  ca65 -I docs/accurate_model -o "$work/$1.o" "$2"
  ld65 -C "$3" -o "$work/$1.prg" "$work/$1.o"
  "$build/apps/c64emu-headless" --model accurate --frames "$4" --screenshot "$pictures/$1.png" \
    "$work/$1.prg"
}
picture raster_split docs/raster_split.s tests/timing/programs/timing_program.cfg 100
for name in scroll rows_columns open_border extended_colour multiplex priority collisions; do
  picture "$name" "docs/accurate_model/$name.s" docs/accurate_model/picture_program.cfg 60
done
echo "pictures in $pictures"

#!/usr/bin/env bash
# Regenerates docs/bitmap_sprites.png: the showcase program (multicolour bitmap and eight
# sprites) run by the headless runner, its picture saved with --screenshot.
#   docs/make_bitmap_picture.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless video_test_programs
"$build/apps/c64emu-headless" --frames 100 --screenshot docs/bitmap_sprites.png \
  "$build/tests/video/programs/showcase.prg"

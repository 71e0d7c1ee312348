#!/usr/bin/env bash
# Regenerates docs/mandelbrot.png: cc65's Mandelbrot sample (compiled by the build from the
# cc65 package's sources) run by the headless runner until its picture is finished, about
# 121,000 frames, and saved with --screenshot.
#   docs/make_mandelbrot_picture.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless cc65_sample_programs
"$build/apps/c64emu-headless" --frames 122000 --stats --screenshot docs/mandelbrot.png \
  "$build/tests/programs/samples/mandelbrot.prg"

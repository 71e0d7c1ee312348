#!/usr/bin/env bash
# Regenerates docs/disk_directory.png: a disk made with cc1541 from the project's own test
# programs, mounted in the headless runner, its directory loaded with LOAD"$",8 and
# listed, the picture saved with --screenshot.
#   docs/make_disk_directory_picture.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless cc65_sample_programs video_test_programs
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
samples="$build/tests/programs/samples"
printf 'Made with cc1541 for the README.\n' > "$work/notes.txt"
# cc1541 turns ASCII lower case into the PETSCII letters the machine shows as capitals.
cc1541 -q -n "c64emu demos" -i "25 2a" \
  -f "showcase" -w "$build/tests/video/programs/showcase.prg" \
  -f "hello" -w "$samples/hello.prg" \
  -f "sieve" -w "$samples/sieve.prg" \
  -f "plasma" -w "$samples/plasma.prg" \
  -f "mandelbrot" -w "$samples/mandelbrot.prg" \
  -f "tgidemo" -w "$samples/tgidemo.prg" \
  -f "read me" -T SEQ -w "$work/notes.txt" \
  "$work/demos.d64" >/dev/null
"$build/apps/c64emu-headless" --d64 "$work/demos.d64" --type 'load"$",8\nlist\n' --frames 100 \
  --screenshot docs/disk_directory.png 2>/dev/null

#!/usr/bin/env bash
# Regenerates docs/nachtm_spectrogram.png: cc65's "nachtm" sample (Eine kleine Nachtmusik on
# the three voices) run by the headless runner with --audio, its first 16 seconds drawn by
# tools/wav_spectrogram.sh, and the first notes of the melody listed by tools/note_pitches.py.
#   docs/make_nachtm_spectrogram.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
source ./scripts_common.sh
default_roms
cmake --build "$build" --target c64emu-headless
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cl65 -t c64 -O -o "$work/nachtm.prg" /usr/share/cc65/samples/nachtm.c
"$build/apps/c64emu-headless" --model accurate --frames 800 --audio "$work/nachtm.wav" \
  "$work/nachtm.prg" >/dev/null
tools/wav_spectrogram.sh "$work/nachtm.wav" docs/nachtm_spectrogram.png 16 \
  "nachtm (cc65 sample), accurate model, headless --audio"
tools/note_pitches.py "$work/nachtm.wav"

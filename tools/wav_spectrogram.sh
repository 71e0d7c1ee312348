#!/usr/bin/env bash
# A spectrogram picture of a WAV file (the headless runner's --audio output) by sox: time
# across, 0 to 4 kHz up (the file is brought down to 8 kHz first, where tunes have their
# notes), level in colour.
#   tools/wav_spectrogram.sh IN.wav OUT.png [first seconds] [title]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 IN.wav OUT.png [seconds] [title]" >&2; exit 2; }
in=$1
out=$2
seconds=${3:-0}
title=${4:-$(basename "$in")}
command -v sox >/dev/null || { echo "$0: sox is missing (Debian package sox)" >&2; exit 1; }
trim=()
[ "$seconds" != 0 ] && trim=(trim 0 "$seconds")
# Written beside the target and renamed, so that the picture is there whole or not at all.
tmp=$(mktemp "$(dirname "$out")/.spectrogram.XXXXXX.png")
trap 'rm -f "$tmp"' EXIT
sox "$in" -n "${trim[@]}" rate 8k spectrogram -x 1000 -y 257 -z 80 -t "$title" -o "$tmp"
mv "$tmp" "$out"

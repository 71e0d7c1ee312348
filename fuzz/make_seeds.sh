#!/usr/bin/env bash
# Writes the fuzz targets' seed corpora into DIR/<target>/: disk images made with cc1541
# in the d64_reader_fuzz input form (a size selector byte, then a tile that starts at
# track 18 sector 0), and a few small program files.
set -euo pipefail
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/d64_reader_fuzz" "$out/program_file_fuzz" "$out/snapshot_fuzz"
cd "$work"

# Sector 357 is track 18 sector 0; tracks 18 and 19 are 38 sectors. The files go to track
# 19 so that the tile holds their chains as well as the directory.
printf '\001\010\013\010\012\000\231"HI"\000\000\000' > basic.prg
head -c 1500 /dev/zero | tr '\000' 'x' > text.seq
cc1541 -q -n "seed disk" -i "ab 2a" -f "hello" -r 19 -w basic.prg -f "longer file" -r 19 -w text.seq \
  -f "notes" -T SEQ -r 19 -w text.seq -f "open" -O -r 19 -w basic.prg \
  -f "locked" -P -r 19 -w basic.prg seed.d64 >/dev/null
{ printf '\000'; dd if=seed.d64 bs=256 skip=357 count=38 status=none; } > "$out/d64_reader_fuzz/disk35"
# The same directory on a 40-track image with error bytes, and an empty disk's directory.
{ printf '\003'; dd if=seed.d64 bs=256 skip=357 count=2 status=none; } > "$out/d64_reader_fuzz/dir40"
cc1541 -q -n "empty" empty.d64 >/dev/null
{ printf '\002'; dd if=empty.d64 bs=256 skip=357 count=2 status=none; } > "$out/d64_reader_fuzz/empty"

cp basic.prg "$out/program_file_fuzz/basic"
printf '\000\300\251\001\215\040\320\140' > "$out/program_file_fuzz/machine_code"
printf '\377\377\000' > "$out/program_file_fuzz/last_byte"
printf '\001' > "$out/program_file_fuzz/one_byte"

# Snapshot seeds: the good snapshot untouched (mode 2, no patches), one patch in the
# processor's section, and a body cut short (mode 1).
printf '\002' > "$out/snapshot_fuzz/good"
printf '\002\010\000\000\377' > "$out/snapshot_fuzz/patched"
printf '\001CPU \030\000\000\000' > "$out/snapshot_fuzz/cut"

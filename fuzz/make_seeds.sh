#!/usr/bin/env bash
# Writes the fuzz targets' seed corpora into DIR/<target>/: disk images made with cc1541
# in the d64_reader_fuzz input form (a size selector byte, then a tile that starts at
# track 18 sector 0), a few small program files, command lines for the drive, and for its
# write path the disk tiles after two bytes of their length and a script of operations;
# typed text for --type and URI lists of dropped files.
set -euo pipefail
out="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/d64_reader_fuzz" "$out/program_file_fuzz" "$out/drive_command_fuzz" \
  "$out/drive_write_fuzz" "$out/snapshot_fuzz" "$out/typed_script_fuzz" "$out/uri_list_fuzz"
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

# Commands on channel 15, and OPEN names after a byte 1 and the channel.
printf '\001\002FILE,S,W\nS0:F*\nI0\n' > "$out/drive_command_fuzz/write_scratch"
printf '\001\001SAVED\nR0:NEW=SAVED\n\001\002@0:NEW,S,W\nN0:DISK\nUJ\n' > "$out/drive_command_fuzz/rename"
printf '\001\003$0:S*\nN0:EMPTY,XY\n\001\004NEW,S,A\n' > "$out/drive_command_fuzz/format"

# Operations: open (0), write 16*n bytes (1), close (2), scratch (3), rename (4), read (5),
# format (6), on channels 2-5 by the high nibble.
for tile in disk35 empty; do
  size=$(stat -c %s "$out/d64_reader_fuzz/$tile")
  { printf "\\$(printf %o $((size & 255)))\\$(printf %o $((size >> 8)))"
    cat "$out/d64_reader_fuzz/$tile"
    printf '\000\000\001\100\002\000\000\201\001\010\002\000\003\001\004\020\005\002'; } \
    > "$out/drive_write_fuzz/$tile"
done

printf '10 print"hello"\nrun\n' > "$out/typed_script_fuzz/basic"
printf '{RUNSTOP+RESTORE}{CTRL+3}{C=+SHIFT}{F2 10}{JOY2 UP+FIRE 10}{clr}' > "$out/typed_script_fuzz/names"
printf 'file:///home/me/my%%20game.prg\r\n' > "$out/uri_list_fuzz/one"
printf '# comment\r\nfile://localhost/tmp/%%c3%%a9.d64\r\nfile:///b.prg\r\n' > "$out/uri_list_fuzz/two"

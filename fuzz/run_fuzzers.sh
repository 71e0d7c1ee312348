#!/usr/bin/env bash
# run_fuzzers.sh DIR RUNS: runs each fuzz target built in DIR for RUNS inputs, from its
# seeds and the inputs earlier runs kept. A crash, a hang (10 s for one input) or a broken
# check fails, with the input saved in DIR and the end of the target's log shown. A target
# whose input costs far more than a parse (a snapshot restores about 460 KB; the drive's
# targets write whole disk images) gets a part of RUNS, by the divisor after its name.
set -euo pipefail
dir="$1" runs="$2"
for entry in d64_reader_fuzz:1 program_file_fuzz:1 drive_command_fuzz:20 drive_write_fuzz:40 \
  snapshot_fuzz:10 typed_script_fuzz:1 uri_list_fuzz:1; do
  target="${entry%%:*}"
  mkdir -p "$dir/corpus/$target"
  log="$dir/$target.log"
  if ! "$dir/$target" -runs="$((runs / ${entry##*:}))" -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/" \
    "$dir/corpus/$target" "$dir/seeds/$target" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "$target failed (log: $log)"
    exit 1
  fi
  corpus=$(grep -oE 'corp: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
  echo "$target: $(grep -E '^Done' "$log"), $corpus inputs in the corpus"
done

#!/usr/bin/env bash
# Window tests of the real desktop program under a private X server.
#
#   desktop_session_test.sh <c64emu> <desktop_probe> <rom dir> basic|program
#
# basic:   the "Emulator" window shows the BASIC start-up screen (light blue on blue, each
#          emulated pixel 2 x 2 window pixels), typed keys give "PRINT 6*7" and 42, the main
#          window "Orvik's C64 Emulator" exists, Escape ends the program with status 1.
# program: started with a .prg argument, the program is loaded, RUN is typed and its
#          output appears; closing the "Emulator" window ends the program with status 0.
# keys-de, keys-us: on a German or a US keyboard layout, ?"hi" typed with the layout's own
#          keys prints HI; doubled letters typed 30, 70 and 150 ms apart all arrive;
#          PRINT 6*7 with the layout's shifted * prints 42; End (RUN/STOP) breaks a
#          running 10 GOTO 10.
# start-up: --help and --version of both programs print and end with status 0; missing
#          ROM images give the console line and an "Error" box, and status 1.
set -u

emulator=$1
probe=$2
roms=$3
scenario=$4

source "$(dirname "$0")/../../tools/private_x_server.sh"

fail() {
  echo "FAIL: $*"
  if [ -f "$work/screen.txt" ]; then
    echo "last screen read back:"
    cat "$work/screen.txt"
  fi
  [ -f "$work/emulator.log" ] && { echo "program output:"; cat "$work/emulator.log"; }
  exit 1
}

start_private_x_server || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export C64EMU_ROMS=$roms
# No sound card on the test machines: SDL's dummy driver takes the samples at a card's pace.
export SDL_AUDIODRIVER=dummy

# Reads the emulated screen back from the window into $work/screen.txt.
read_screen() {
  import -window "$window" -depth 8 "ppm:$work/capture.ppm" 2>/dev/null || return 1
  "$probe" screen "$work/capture.ppm" "$roms/characters.901225-01.bin" >"$work/screen.txt" \
    2>"$work/probe.log" || { cp "$work/probe.log" "$work/screen.txt"; return 1; }
}

# Waits until the screen holds a line matching the pattern (grep -E on the 25 rows).
wait_for_screen() {
  local pattern=$1 seconds=$2
  for _ in $(seq $((seconds * 4))); do
    if read_screen && tail -n +2 "$work/screen.txt" | grep -Eq "$pattern"; then return 0; fi
    sleep 0.25
  done
  fail "the screen never showed /$pattern/"
}

start_emulator() {
  "$emulator" "$@" >"$work/emulator.log" 2>&1 &
  emulator_pid=$!
  window=
  for _ in $(seq 300); do
    window=$(xdotool search --name '^Emulator$' 2>/dev/null | head -1)
    [ -n "$window" ] && break
    kill -0 "$emulator_pid" 2>/dev/null || fail "the program ended before opening its window"
    sleep 0.1
  done
  [ -n "$window" ] || fail "no window titled Emulator"
}

# Ends the check with the program's exit status.
expect_exit_status() {
  local expected=$1 status
  for _ in $(seq 300); do
    kill -0 "$emulator_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$emulator_pid" 2>/dev/null && fail "the program is still running"
  wait "$emulator_pid"
  status=$?
  emulator_pid=
  [ "$status" = "$expected" ] || fail "exit status $status, expected $expected"
}

# Types at a steady pace of four keys a second: the toolkit delivers key events only
# between two passes of 160 ms, and two keys tapped within one gap reach the machine as
# one chord.
press() {
  xdotool windowfocus --sync "$window" 2>/dev/null
  for key in "$@"; do
    xdotool key --window 0 "$key"
    sleep 0.25
  done
}

# Taps the keys `delay` ms apart (each a press and its release), as fast typing does.
tap() {
  local delay=$1
  shift
  xdotool windowfocus --sync "$window" 2>/dev/null
  xdotool key --window 0 --delay "$delay" "$@"
}

case "$scenario" in
  basic)
    start_emulator
    wait_for_screen '^READY\.' 60
    [ "$(head -1 "$work/screen.txt")" = "colours 6 14" ] ||
      fail "expected light blue (14) on blue (6), got: $(head -1 "$work/screen.txt")"
    geometry=$(xdotool getwindowgeometry "$window" | grep Geometry)
    [[ $geometry == *"640x400"* ]] || fail "window geometry is $geometry"

    main_window=$(xdotool search --name "^Orvik's C64 Emulator\$" | head -1)
    [ -n "$main_window" ] || fail "no main window titled Orvik's C64 Emulator"

    # Lower-case letters are unshifted keys (shifted ones would give graphics characters);
    # the keypad's * needs no Shift either.
    press p r i n t space 6 KP_Multiply 7 Return
    wait_for_screen '^PRINT 6\*7 *$' 30
    wait_for_screen '^ 42 *$' 30
    grep -A1 -E '^PRINT 6\*7 *$' "$work/screen.txt" | tail -1 | grep -Eq '^ 42 *$' ||
      fail "42 is not on the line below PRINT 6*7"

    press Escape
    expect_exit_status 1
    ;;
  program)
    # 10 PRINT 4000+321, as BASIC stores it at $0801.
    mkdir "$work/programs"
    printf '\x01\x08\x0f\x08\x0a\x00\x99\x34\x30\x30\x30\xaa\x33\x32\x31\x00\x00\x00' \
      >"$work/programs/sum.prg"
    start_emulator "$work/programs/sum.prg"
    wait_for_screen '^RUN *$' 60
    wait_for_screen '^ 4321 *$' 30

    "$probe" close "$window" || fail "cannot ask the window to close"
    expect_exit_status 0
    ;;
  keys-de | keys-us)
    layout=${scenario#keys-}
    use_keyboard_layout "$layout" || fail "the X server did not take the $layout layout"
    start_emulator
    wait_for_screen '^READY\.' 60
    # ? and " where each layout has them: Shift+sharp s and Shift+2 on the German one.
    if [ "$layout" = de ]; then
      press shift+ssharp shift+2 h i shift+2 Return
    else
      press shift+slash shift+apostrophe h i shift+apostrophe Return
    fi
    wait_for_screen '^\?"HI" *$' 30
    wait_for_screen '^HI *$' 30
    if [ "$layout" = de ]; then quote=shift+2 star=shift+plus; else quote=shift+apostrophe star=shift+8; fi
    for delay in 30 70 150; do
      tap "$delay" p r i n t "$quote" e e l l o o s s "$quote" Return
      wait_for_screen '^EELLOOSS *$' 30
      tail -n +2 "$work/screen.txt" | grep -Eq '^EELLOOSS *$' || fail "doubled letters lost at $delay ms"
      press shift+Prior  # CLR: the next check starts on a clear screen
    done
    tap 150 p r i n t space 6 "$star" 7 Return
    wait_for_screen '^PRINT 6\*7 *$' 30
    wait_for_screen '^ 42 *$' 30
    press 1 0 space g o t o space 1 0 Return r u n Return
    wait_for_screen '^RUN *$' 30
    press End
    wait_for_screen '^BREAK IN 10 *$' 30
    press Escape
    expect_exit_status 1
    ;;
  start-up)
    headless=$(dirname "$emulator")/c64emu-headless
    for program in "$emulator" "$headless"; do
      "$program" --help >"$work/out" 2>&1 || fail "$program --help: status $?"
      grep -q -- '--model' "$work/out" || fail "$program --help lists no options: $(cat "$work/out")"
      "$program" --version >"$work/out" 2>&1 || fail "$program --version: status $?"
      grep -Eq '^c64emu(-headless)? [0-9]+\.[0-9]+' "$work/out" ||
        fail "$program --version: $(cat "$work/out")"
    done
    mkdir "$work/empty"
    program=$(cd "$(dirname "$emulator")" && pwd)/$(basename "$emulator")
    (cd "$work/empty" && C64EMU_ROMS=$work/empty exec "$program") >"$work/emulator.log" 2>&1 &
    emulator_pid=$!
    box=$(wait_for_window '^Error$' 100) || fail "no Error box for the missing ROM images"
    grep -q 'ROM image basic.901226-01.bin (or basic.bin) not found' "$work/emulator.log" ||
      fail "no console line for the missing ROM images"
    xdotool windowfocus --sync "$box" 2>/dev/null
    xdotool key --window 0 Return
    expect_exit_status 1
    ;;
  *)
    fail "unknown scenario $scenario"
    ;;
esac
echo "PASS: $scenario"

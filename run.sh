#!/usr/bin/env bash
# Builds the emulator (Release, in build/) and starts it: ./run.sh [program.prg]
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
install_packages
build_dir build -DCMAKE_BUILD_TYPE=Release -DC64EMU_TESTS=OFF -DC64EMU_BENCH=OFF
default_roms
exec build/apps/c64emu "$@"

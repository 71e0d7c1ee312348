#!/usr/bin/env bash
# Builds and runs every test: a Release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
install_packages
default_roms

echo "== Release build and tests"
build_dir build -DCMAKE_BUILD_TYPE=Release -DC64EMU_TESTS=ON -DC64EMU_BENCH=ON
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
build_dir build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DC64EMU_SANITIZERS=address,undefined \
  -DC64EMU_TESTS=ON -DC64EMU_BENCH=OFF
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure --no-tests=error \
  -j "$(nproc)" -LE slow

echo "== ThreadSanitizer (threaded tests)"
build_dir build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DC64EMU_SANITIZERS=thread \
  -DC64EMU_TESTS=ON -DC64EMU_BENCH=OFF -- threads_tests
# Qt's libraries are not instrumented; the suppressions cover reports inside them only.
TSAN_OPTIONS="suppressions=$PWD/tests/debug/tsan_suppressions.txt halt_on_error=1" \
  ctest --test-dir build-tsan --output-on-failure --no-tests=error -j "$(nproc)" -L threads

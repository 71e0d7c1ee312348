#!/usr/bin/env bash
# Builds and runs every test: a Release build, then the same tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the fuzz targets for a fixed number of runs each,
# then the threaded tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts_common.sh
install_packages
default_roms

echo "== Release build and tests"
build_dir build -DCMAKE_BUILD_TYPE=Release -DC64EMU_TESTS=ON -DC64EMU_BENCH=ON
ctest --test-dir build --output-on-failure --no-tests=error -j "$(nproc)"

# The sanitizer builds: light optimisation and line tables only, enough for readable
# reports at half the build time of -O2 -g.
sanitizer_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
  -DC64EMU_TESTS=ON -DC64EMU_BENCH=OFF)

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
build_dir build-asan "${sanitizer_flags[@]}" -DC64EMU_SANITIZERS=address,undefined
ASAN_OPTIONS=detect_leaks=0 ctest --test-dir build-asan --output-on-failure --no-tests=error \
  -j "$(nproc)" -LE slow

echo "== libFuzzer (clang): the disk-image, program-file, drive-command, snapshot, typed-text and URI-list parsers"
build_dir build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DC64EMU_FUZZ=ON -DC64EMU_TESTS=OFF -DC64EMU_BENCH=OFF \
  -DC64EMU_GUI=OFF -- fuzz_targets
fuzz/run_fuzzers.sh build-fuzz/fuzz 200000

echo "== ThreadSanitizer (threaded tests)"
build_dir build-tsan "${sanitizer_flags[@]}" -DC64EMU_SANITIZERS=thread -- threads_tests
# Qt's libraries are not instrumented; the suppressions cover reports inside them only.
TSAN_OPTIONS="suppressions=$PWD/tests/debug/tsan_suppressions.txt halt_on_error=1" \
  ctest --test-dir build-tsan --output-on-failure --no-tests=error -j "$(nproc)" -L threads

#!/usr/bin/env bash
# Sets up, builds and runs every test: the normal build, then the same tests
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

# Where clang is, every fuzzing harness replays its corpus and then fuzzes
# for 10 s (the fuzz label), so that a parser change is fuzzed before it
# lands; scripts/fuzz.sh fuzzes for longer in the same build folder.
if [[ "${QUORVEL_SKIP_FUZZ:-0}" != 1 ]] && command -v clang++ >/dev/null; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF >/dev/null
  cmake --build build-fuzz -j "$jobs" --target fuzz_script fuzz_settings fuzz_command_line \
    fuzz_records
  (cd build-fuzz && ctest --output-on-failure -j "$jobs" -L fuzz)
fi

if [[ "${QUORVEL_SKIP_SANITIZE:-0}" != 1 ]]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORVEL_SANITIZE=ON \
    -DQUORVEL_BENCH=OFF >/dev/null
  cmake --build build-asan -j "$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --output-on-failure -j "$jobs")
fi

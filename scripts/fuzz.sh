#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, then fuzzes each in turn for
# SECONDS (default 60), one at a time. New inputs that reach new code go into
# tests/fuzz/corpus/<harness>/; an input that crashes a harness is saved in
# tests/fuzz/crashes/<harness>/, where the normal test run replays it.
#
#   scripts/fuzz.sh [SECONDS] [HARNESS...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true
harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  harnesses=(script settings command_line records)
fi
scripts/setup.sh

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUORVEL_SANITIZE=ON -DQUORVEL_FUZZ=ON -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF >/dev/null
cmake --build build-fuzz -j 2 --target "${harnesses[@]/#/fuzz_}"

# Longest input tried, in bytes: a script of some 250 lines (a few ms under
# the sanitizers); longer ones mostly repeat what these reach.
declare -A max_len=([script]=2048 [settings]=4096 [command_line]=512 [records]=1024)
status=0
for h in "${harnesses[@]}"; do
  crashes=tests/fuzz/crashes/$h
  mkdir -p "$crashes" build-fuzz/new-corpus/"$h"
  echo "fuzz: $h for ${seconds}s" >&2
  # New corpus entries land in the scratch folder first, and are merged into
  # the kept corpus only when they add coverage.
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build-fuzz/fuzz_"$h" -max_total_time="$seconds" -max_len="${max_len[$h]}" \
    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$crashes/" \
    build-fuzz/new-corpus/"$h" tests/fuzz/corpus/"$h" 2>build-fuzz/fuzz-"$h".log; then
    echo "fuzz: $h found a crash: see build-fuzz/fuzz-$h.log and $crashes/" >&2
    status=1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' \
    build-fuzz/fuzz-"$h".log >&2 || true
  build-fuzz/fuzz_"$h" -merge=1 -max_len="${max_len[$h]}" tests/fuzz/corpus/"$h" \
    build-fuzz/new-corpus/"$h" 2>>build-fuzz/fuzz-"$h".log
  rmdir --ignore-fail-on-non-empty "$crashes"
done
exit "$status"

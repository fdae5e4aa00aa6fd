#!/usr/bin/env bash
# Brings a Release build of only what is installed up to date, made as the
# README makes one, for the package checks to package. The first run builds
# the game from scratch; later runs only what changed.
# Usage: release_build.sh SOURCE_DIR BUILD_DIR CMAKE GENERATOR C_COMPILER CXX_COMPILER
set -uo pipefail
src=$1 build=$2 cmake=$3 generator=$4 cc=$5 cxx=$6
log=$(mktemp)
trap 'rm -f "$log"' EXIT
if ! { "$cmake" -S "$src" -B "$build" -G "$generator" -DCMAKE_BUILD_TYPE=Release \
  -DQUORVEL_TESTS=OFF -DQUORVEL_BENCH=OFF -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" &&
  "$cmake" --build "$build" -j "$(nproc)" --target quorvel quorvel_icons quorvel_docs; } >"$log" 2>&1; then
  tail -n 40 "$log"
  echo "not ok - Release build in $build"
  exit 1
fi
echo "ok - Release build in $build"

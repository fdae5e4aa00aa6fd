#!/usr/bin/env bash
# Installs the Debian 12 packages Quorvel needs to build, run and test.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libpng-dev libx11-dev fonts-ipafont-gothic
  googletest libgtest-dev libbenchmark-dev
  libx11-dev xvfb xdotool x11-utils x11-xkb-utils imagemagick desktop-file-utils dpkg-dev file strace
  openbox wmctrl xrestop
  # the package checks: lintian, appstreamcli, hardening-check (devscripts), man -l
  lintian appstream devscripts man-db
  # the fuzzing harnesses (scripts/fuzz.sh): clang and its libFuzzer and sanitizer runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

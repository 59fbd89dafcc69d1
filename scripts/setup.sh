#!/usr/bin/env bash
# Installs what building and testing need on a Debian machine, and only what is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ python3
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  mingw-w64 wine wine64 fonts-wine fonts-liberation xvfb xdotool imagemagick librsvg2-bin nsis
  locales fonts-wqy-microhei
  valgrind
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
fi

#!/usr/bin/env bash
# Builds what the benchmarks need and runs them: a Markdown table of medians and ranges, each
# figure next to its reference from the same run, in artifacts/bench/results.md (also printed).
#   scripts/bench.sh [--quick] [--only settings,keys,idle,memory,startup,notice]
# Not part of scripts/test.sh. A full run takes about 20 minutes; --quick checks the machinery in
# a few.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

# strace counts the settings file's opens; setup.sh brings everything else.
if [[ "$(dpkg-query -W -f='${Status}' strace 2>/dev/null || true)" != "install ok installed" ]]; then
  echo "bench: installing strace"
  sudo_cmd=()
  [[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
    strace >/dev/null
fi

# The Windows programs, reference programs and drivers (64-bit), and the native benchmarks in an
# unsanitised release build of their own.
[[ -f build/win64/CMakeCache.txt ]] || cmake --preset win64 >/dev/null
cmake --build --preset win64
[[ -f build/bench-native/CMakeCache.txt ]] ||
  cmake -S . -B build/bench-native -G Ninja -DCMAKE_BUILD_TYPE=Release -DTEVRA_SANITIZE=OFF \
    -DTEVRA_BENCH=ON >/dev/null
cmake --build build/bench-native --target settings_bench settings-ops

# The Wine measurements need root for a power state of their own (see tests/e2e/harness.py).
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo -E)
exec "${sudo_cmd[@]}" python3 bench/run_bench.py "$@"

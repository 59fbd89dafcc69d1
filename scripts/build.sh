#!/usr/bin/env bash
# Configures and builds the three trees: 64-bit and 32-bit Windows programs, and the native tests.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in win64 win32 native; do
  [[ -f build/$preset/CMakeCache.txt ]] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

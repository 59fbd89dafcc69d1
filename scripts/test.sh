#!/usr/bin/env bash
# Runs every test: native unit tests under the sanitizers and end-to-end tests under Wine.
# Extra arguments go to ctest (for example -R settings).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
ctest --preset native -j"$(nproc)" "$@"

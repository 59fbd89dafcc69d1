#!/usr/bin/env bash
# Builds everything and shows what the software does under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh >/dev/null
exec python3 scripts/demo.py "$@"

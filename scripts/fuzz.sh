#!/usr/bin/env bash
# Fuzzes the settings file reader and rewriter with libFuzzer for a bounded time.
#   scripts/fuzz.sh [seconds]     (default 300)
# Findings are written to build/fuzz/; keep any input that once failed as a case in
# settings/tests/ini_file_test.cpp (RewriteIsStable).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
scripts/setup.sh
mkdir -p build/fuzz/corpus
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Icommon -Isettings settings/fuzz/ini_fuzz.cpp settings/ini_file.cpp settings/settings_store.cpp \
  settings/file_store_posix.cpp settings/settings_path_posix.cpp common/diagnostics.cpp \
  -o build/fuzz/ini_fuzz
cd build/fuzz
./ini_fuzz -max_total_time="$seconds" -max_len=1100000 -timeout=10 -rss_limit_mb=4096 \
  -print_final_stats=1 corpus ../../settings/fuzz/seeds

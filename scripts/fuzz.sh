#!/usr/bin/env bash
# Runs the list-edit fuzzer for longer: scripts/fuzz.sh [seconds] (default 600).
# Findings are written to build/fuzz/ as crash-* files; the corpus is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
cd build/fuzz
./list_edits_fuzzer -max_total_time="${1:-600}" -print_final_stats=1 corpus

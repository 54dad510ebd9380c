#!/usr/bin/env bash
# Prints test lines / code lines, counting non-blank lines that are not only
# comment, of the C++ and Java sources. Tests: tests/ (the fuzz target
# included), java/test, java/testsupport. Code: src/, winsim/ and java/
# outside those two. The benchmark is neither.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  [ $# -eq 0 ] && { echo 0; return; }
  # Drops blank lines, // lines and the lines of /* ... */ blocks.
  awk '
    /^[[:space:]]*$/ { next }
    inBlock { if ($0 ~ /\*\//) inBlock = 0; next }
    /^[[:space:]]*\/\// { next }
    /^[[:space:]]*\/\*/ { if ($0 !~ /\*\//) inBlock = 1; next }
    { n++ }
    END { print n + 0 }' "$@"
}

sources() { git ls-files -- "$@" | grep -E '\.(cpp|h|hpp|java)$' || true; }

mapfile -t test_files < <(sources tests java/test java/testsupport)
mapfile -t code_files < <(sources src winsim java | grep -v -E '^java/(test|testsupport)/')
tests=$(count "${test_files[@]}")
code=$(count "${code_files[@]}")
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d / code %d = %.2f\n", t, c, t / c }'

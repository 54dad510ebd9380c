#!/usr/bin/env bash
# Prints test lines / code lines: non-blank lines that are not only comment,
# of every source file git tracks (C++, Java, shell, CMake). Tests: tests/
# (the fuzz target included), java/test, java/testsupport. Code: everything
# else, the benchmark included. Data (images, fixtures, tables) is neither.
# The second figure counts the C++ and Java sources alone.
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  [ $# -eq 0 ] && { echo 0; return; }
  # Drops blank lines, // and # comment lines and the lines of /* ... */ blocks.
  awk '
    FNR == 1 { hash = FILENAME ~ /(\.sh|\.cmake|CMakeLists\.txt|^\.ci\/run)$/ }
    /^[[:space:]]*$/ { next }
    hash && /^[[:space:]]*#/ { next }
    hash { n++; next }
    inBlock { if ($0 ~ /\*\//) inBlock = 0; next }
    /^[[:space:]]*\/\// { next }
    /^[[:space:]]*\/\*/ { if ($0 !~ /\*\//) inBlock = 1; next }
    { n++ }
    END { print n + 0 }' "$@"
}

is_test='^(tests|java/test|java/testsupport)/'
mapfile -t sources < <(git ls-files | grep -E '\.(cpp|h|hpp|java|sh|cmake)$|CMakeLists\.txt$|^\.ci/run$|\.(cpp|h)\.in$')
mapfile -t test_files < <(printf '%s\n' "${sources[@]}" | grep -E "$is_test")
mapfile -t code_files < <(printf '%s\n' "${sources[@]}" | grep -vE "$is_test")
mapfile -t test_cpp_java < <(printf '%s\n' "${test_files[@]}" | grep -E '\.(cpp|h|hpp|java)$')
mapfile -t code_cpp_java < <(printf '%s\n' "${code_files[@]}" | grep -E '\.(cpp|h|hpp|java)$')
ratio() { awk -v t="$1" -v c="$2" 'BEGIN { printf "%d / %d = %.2f", t, c, t / c }'; }
echo "tests / code: $(ratio "$(count "${test_files[@]}")" "$(count "${code_files[@]}")")" \
  "(C++ and Java alone: $(ratio "$(count "${test_cpp_java[@]}")" "$(count "${code_cpp_java[@]}")"))"

#!/usr/bin/env bash
# Installs what is missing, builds the Linux library and both Windows DLLs,
# and runs every test; then the C++ tests under the sanitizers, the list-edit
# fuzzer for a bounded number of runs, clang-tidy and clang-format; last it
# packages the jar and tries it as an operator would.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in host mingw-x64 mingw-i686 asan; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== fuzz"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/corpus
build/fuzz/list_edits_fuzzer -runs=50000 -max_total_time=30 build/fuzz/corpus

echo "== clang-tidy"
mapfile -t sources < <(git ls-files 'src/*.cpp')
clang-tidy-14 -p build/host --quiet "${sources[@]}"

echo "== clang-format"
mapfile -t formatted < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'winsim/*.cpp' 'winsim/*.h' 'bench/*.cpp')
clang-format-14 --dry-run --Werror "${formatted[@]}"

echo "== package"
scripts/package.sh
first=$(sha256sum build/dist/iisconfigure-*.jar)
scripts/package.sh >/dev/null
[[ $(sha256sum build/dist/iisconfigure-*.jar) == "$first" ]] || { echo "two package.sh runs differ"; exit 1; }
tests/package/packaged_jar.sh build/dist/iisconfigure-*.jar

#!/usr/bin/env bash
# Installs what is missing, builds the Linux library and both Windows DLLs,
# and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in host mingw-x64 mingw-i686; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

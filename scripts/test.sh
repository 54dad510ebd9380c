#!/usr/bin/env bash
# Installs what is missing, builds the Linux library and both Windows DLLs,
# runs every test, then packages the jar and tries it as an operator would.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
for preset in host mingw-x64 mingw-i686; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== package"
scripts/package.sh
first=$(sha256sum build/dist/iisconfigure-*.jar)
scripts/package.sh >/dev/null
[[ $(sha256sum build/dist/iisconfigure-*.jar) == "$first" ]] || { echo "two package.sh runs differ"; exit 1; }
tests/package/packaged_jar.sh build/dist/iisconfigure-*.jar

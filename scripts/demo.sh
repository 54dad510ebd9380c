#!/usr/bin/env bash
# Builds the library and shows it at work: the Java class, through JNI,
# configuring a copy of a simulated IIS 6 host (the stock one, or the image
# named as the first argument), then what changed.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh >&2
cmake --preset host >/dev/null
cmake --build --preset host --target iisconfigure iisconfigure_demo >/dev/null
image=${1:-hosts/iis6-stock.json}
exec java -Djava.library.path=build/host \
  -cp build/host/iisconfigure.jar:build/host/java/iisconfigure-demo.jar \
  com.vantora.adminserver.demo.Demo "$(realpath "$image")"

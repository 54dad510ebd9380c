#!/usr/bin/env bash
# Many JVM threads making mixed calls of every native method, backups and
# restores among them, on one image file at time-out scale 1; then checks
# that the file holds the host's final state and every write that should
# have survived. Arguments: threads (16), calls per thread (1000).
set -euo pipefail
cd "$(dirname "$0")/.."

threads=${1:-16}
calls=${2:-1000}
cmake --preset host >/dev/null
cmake --build --preset host --target iisconfigure winsim_jni iisconfigure_soak >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp hosts/iis6-stock.json "$work/host.json"
jars=build/host/iisconfigure.jar:build/host/java/iisconfigure-testsupport.jar
jars=$jars:build/host/bench/iisconfigure-soak.jar:/usr/share/java/gson.jar:/usr/share/java/picocli.jar
WINSIM_HOST="$work/host.json" WINSIM_JOURNAL="$work/journal.txt" \
  java -Djava.library.path=build/host -cp "$jars" com.vantora.soak.Soak "$threads" "$calls"

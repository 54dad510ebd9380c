#!/usr/bin/env bash
# Converts between a captured IIS 6 server and a host image of the simulated host:
#   host-image.sh from-metabase METABASE.xml [--registry FILE.reg ...] [--base IMAGE.json] > image.json
#   host-image.sh to-metabase IMAGE.json > MetaBase.xml
#   host-image.sh to-reg IMAGE.json [--key HKLM\PATH ...] > keys.reg
#   host-image.sh verify DIR/change.json --before X.xml [--before-registry R.reg ...] \
#                        --after Y.xml [--after-registry S.reg ...]   (0: as previewed, 1: differences)
#   host-image.sh generate --sites N [--seed S] > MetaBase.xml   (the benchmarks' generator)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" tools >&2
(cd "$root" && cmake --preset tools >/dev/null && cmake --build --preset tools >/dev/null) >&2
jar=$root/build/tools/java/iisconfigure-preview.jar
if [ "${1-}" = generate ]; then
  shift
  jar=$root/build/tools/java/iisconfigure-generator.jar
fi
exec java -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Diisconfigure.stockImage="$root/hosts/iis6-stock.json" -jar "$jar" "$@"

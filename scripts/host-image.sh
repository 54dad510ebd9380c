#!/usr/bin/env bash
# Converts between a captured IIS 6 server and a host image of the simulated host:
#   host-image.sh from-metabase METABASE.xml [--registry FILE.reg ...] [--base IMAGE.json] > image.json
#   host-image.sh to-metabase IMAGE.json > MetaBase.xml
#   host-image.sh generate --sites N [--seed S] > MetaBase.xml
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" >&2
(cd "$root" && cmake --preset host >/dev/null && cmake --build --preset host --target iisconfigure_demo >/dev/null) >&2
exec java -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Diisconfigure.stockImage="$root/hosts/iis6-stock.json" \
  -cp "$root/build/host/java/iisconfigure-demo.jar:/usr/share/java/gson.jar" \
  com.vantora.adminserver.demo.HostImageTool "$@"

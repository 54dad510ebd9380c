#!/usr/bin/env bash
# Builds the library and shows it at work: the Java class, through JNI,
# configuring a copy of a simulated IIS 6 host, then what changed. The host is
# the stock one, the image named as the only argument, or a captured server:
#   demo.sh --metabase METABASE.xml [--registry FILE.reg ...] [--export-metabase OUT.xml]
#           [--export-registry OUT.reg] [--change-set DIR] [--calls FILE]
# --calls runs an installer's calls (one a line, as the jar's command line takes
# them) instead of the demo's; --change-set writes the change, its registry
# files and the plan to run, check and undo it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/install-deps.sh" tools >&2
(cd "$root" && cmake --preset tools >/dev/null && cmake --build --preset tools >/dev/null) >&2
exec java -XX:TieredStopAtLevel=1 -XX:+UseSerialGC -Djava.library.path="$root/build/tools" -Diisconfigure.stockImage="$root/hosts/iis6-stock.json" \
  -jar "$root/build/tools/java/iisconfigure-preview.jar" demo "$@"

#!/usr/bin/env bash
# Checks that a built library exports exactly the native methods that the
# javac-made header declares: no more, no fewer, under their exact names.
set -euo pipefail
library=$1
header=$2

expected=$(grep -o 'Java_com_vantora_adminserver_helper_ws_IISConfigure_[A-Za-z0-9_]*' "$header" | sort -u)
case "$library" in
  *.dll)
    objdump=objdump
    for candidate in x86_64-w64-mingw32-objdump i686-w64-mingw32-objdump; do
      command -v "$candidate" >/dev/null && objdump=$candidate && break
    done
    actual=$("$objdump" -p "$library" | awk '/\[Ordinal\/Name Pointer\] Table/{table=1; next} table && NF==0{table=0} table{print $NF}' | sort -u)
    ;;
  *)
    actual=$(nm -D --defined-only "$library" | awk '{print $3}' | sort -u)
    ;;
esac

if [ "$expected" != "$actual" ]; then
  echo "exports of $library differ from the Java class's native methods:"
  diff <(echo "$expected") <(echo "$actual") || true
  exit 1
fi
echo "$library exports the $(echo "$expected" | wc -l) native methods of the Java class, and nothing else"

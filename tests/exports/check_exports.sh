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

# A 32-bit JVM calls them as stdcall: each pops its arguments itself, 4 bytes a
# parameter (8 for jlong and jdouble), so each export must end in `ret N`. A
# lost JNICALL gives a plain `ret`, which the export names alone do not show.
[[ $library == *.dll && $("$objdump" -f "$library") == *"file format pei-i386"* ]] || exit 0
objdump=i686-w64-mingw32-objdump
table=$("$objdump" -p "$library")
base=0x$(awk '$1 == "ImageBase" {print $2}' <<<"$table")
declare -A start
while read -r name address; do start[$name]=$((base + 0x$address)); done < <(awk '/Export RVA$/ { rva[$2 + 0] = $(NF - 2) }
  /^\[Ordinal\/Name Pointer\] Table/ { names = 1; next } names && NF == 0 { names = 0 } names { print $NF, rva[$2 + 0] }' <<<"$table")
while read -r name want; do
  got=$("$objdump" -d --no-show-raw-insn --start-address="${start[$name]}" --stop-address=$((start[$name] + 0x2000)) \
    "$library" | awk -F'\t' '!found && $2 ~ /^ret/ {sub(/ +$/, "", $2); gsub(/ +/, " ", $2); print $2; found = 1}')
  [[ $got == "$want" ]] || { echo "$name returns with '${got:-no ret}', stdcall needs '$want'"; wrong=1; }
done < <(awk '/^JNIEXPORT/{name=$NF; getline; gsub(/[();]/, ""); n=split($0, types, ","); bytes=0
  for (i = 1; i <= n; i++) { gsub(/ /, "", types[i]); bytes += (types[i] == "jlong" || types[i] == "jdouble") ? 8 : 4 }
  printf "%s ret $0x%x\n", name, bytes}' "$header")
[[ -z ${wrong:-} ]] && echo "each returns with ret N, N its stdcall argument bytes"

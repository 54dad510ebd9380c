#!/usr/bin/env bash
# Uses the packaged jar as an operator would: a fresh JVM with nothing but the
# jar on its class path and nothing on its library path, so the natives come
# out of the jar into a fresh cache. Then runs the Wine end-to-end suite on
# the x64 DLL taken from the jar.
set -euo pipefail
jar=$(realpath "$1")
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset LD_LIBRARY_PATH
export XDG_CACHE_HOME=$work/cache WINSIM_HOST=$work/host.json WINSIM_JOURNAL=
cp hosts/iis6-stock.json "$WINSIM_HOST"
natives=com/vantora/adminserver/helper/ws/natives

# expect STATUS OUTPUT-REGEX JAVA-ARGS...: the exit status, the output, and no Java exception.
expect() {
  local status=$1 pattern=$2 out rc=0
  shift 2
  out=$(java -Djava.library.path="$work/empty" "$@" 2>&1) || rc=$?
  if [[ $rc != "$status" || ! $out =~ $pattern || $out == *Exception* ]]; then
    echo "java $*: exit status $rc (expected $status), output:"$'\n'"$out" >&2
    exit 1
  fi
}

# Two JVMs extracting into the empty cache at once.
java -Djava.library.path="$work/empty" -jar "$jar" IsIISInstalled >"$work/first" 2>&1 & first=$!
java -Djava.library.path="$work/empty" -jar "$jar" IsIISInstalled >"$work/second" 2>&1 & second=$!
wait $first && wait $second && [[ $(cat "$work/first" "$work/second") == $'true\ntrue' ]] ||
  { echo "two JVMs extracting at once:"; cat "$work/first" "$work/second"; exit 1; } >&2

expect 0 '^true$' -jar "$jar" jniIsIISInstalled
expect 0 '^true$' -jar "$jar" createvirtualdirectory packagedJar 'C:\packaged-jar'
grep -q '"name": "packagedJar"' "$WINSIM_HOST" && grep -q '"C:\\\\packaged-jar"' "$WINSIM_HOST" ||
  { echo "the virtual directory is not in the saved image" >&2; exit 1; }
expect 1 '^null$' -jar "$jar" GetDefaultEncoding
expect 0 '^done$' -jar "$jar" SetDefaultEncoding utf-8
expect 2 'jniIsIISInstalled' -jar "$jar" NoSuchMethod
expect 2 '^usage: jniCreateVirtualDirectory name physicalPath$' -jar "$jar" CreateVirtualDirectory onlyName
version=$(basename "$jar" .jar)
expect 0 "^${version/-/ }"$'\nnative library: '"$XDG_CACHE_HOME" -jar "$jar" --version
[[ $(java -jar "$jar" --list | grep -c '^jni[A-Za-z]* .* [a-z]') == 22 ]] || { echo "--list" >&2; exit 1; }

# The cache is the user's alone; a corrupted copy in it is replaced, not loaded.
library=$(echo "$XDG_CACHE_HOME"/iisconfigure/*/libiisconfigure.so)
[[ $(stat -c %a "$XDG_CACHE_HOME/iisconfigure" "$(dirname "$library")") == $'700\n700' ]] || exit 1
echo corrupted >"$library"
expect 0 '^true$' -jar "$jar" IsIISInstalled
cmp "$library" <(unzip -p "$jar" $natives/linux-x86_64/libiisconfigure.so)

expect 3 "iisconfigure.library=$work/missing.so: .*$work/missing.so" \
  -Diisconfigure.library="$work/missing.so" -jar "$jar" IsIISInstalled
expect 0 "not loaded: iisconfigure.library=" -Diisconfigure.library="$work/missing.so" -jar "$jar" --version

tests/package/shared_machine.sh "$jar"

# No 32-bit Wine here: the stripped x86 DLL's exports are checked, the x64 DLL is run.
mkdir "$work/x86" "$work/x64"
unzip -p "$jar" $natives/windows-x86/iisconfigure.dll >"$work/x86/iisconfigure.dll"
tests/exports/check_exports.sh "$work/x86/iisconfigure.dll" build/host/jni-header/*IISConfigure.h
unzip -p "$jar" $natives/windows-x86_64/iisconfigure.dll >"$work/x64/iisconfigure.dll"
IISCONFIGURE_TEST_DLL=$work/x64/iisconfigure.dll ctest --preset mingw-x64 -R windows_end_to_end
tests/windows/regedit_change_set.sh build/host
echo "the packaged jar works"

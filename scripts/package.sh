#!/usr/bin/env bash
# Builds what the jar needs in the three presets (nothing when they are up to
# date) and writes build/dist/iisconfigure-VERSION.jar: the Java classes and,
# stripped, the natives of every platform. The symbols go to build/dist/debug.
# Two runs on the same commit give the same bytes.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in host mingw-x64 mingw-i686; do
  [[ -f build/$preset/CMakeCache.txt ]] || cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target iisconfigure $([[ $preset == host ]] && echo iisconfigure_java) >/dev/null
done
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/host/CMakeCache.txt)
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || echo 315532802)}

dist=build/dist
stage=$dist/stage
natives=$stage/com/vantora/adminserver/helper/ws/natives
rm -rf "$dist"
mkdir -p "$stage"
unzip -q build/host/iisconfigure.jar -x 'META-INF/*' -d "$stage"

# tool prefix, built library, platform folder
add_native() {
  local name
  name=$(basename "$2")
  mkdir -p "$natives/$3" "$dist/debug/$3"
  "${1}objcopy" --only-keep-debug "$2" "$dist/debug/$3/$name.debug"
  "${1}strip" --strip-all -o "$natives/$3/$name" "$2"
  "${1}objcopy" --add-gnu-debuglink="$dist/debug/$3/$name.debug" "$natives/$3/$name"
}
add_native "" build/host/libiisconfigure.so linux-x86_64
add_native "" build/host/libwinsim.so linux-x86_64
add_native x86_64-w64-mingw32- build/mingw-x64/iisconfigure.dll windows-x86_64
add_native i686-w64-mingw32- build/mingw-i686/iisconfigure.dll windows-x86

jar=iisconfigure-$version.jar
mapfile -t files < <(cd "$stage" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
(cd "$stage" && jar --create --file "../$jar" --manifest ../../host/iisconfigure-manifest.txt \
  --date "$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%dT%H:%M:%SZ)" "${files[@]}")
rm -rf "$stage"
echo "$dist/$jar"

#!/usr/bin/env bash
# Installs what is missing, builds the Linux library and both Windows DLLs,
# and runs every test; then the C++ tests under the sanitizers, the list-edit
# fuzzer for a bounded number of runs, clang-tidy and clang-format; last it
# packages the jar and tries it as an operator would, which is where the
# Windows suite runs under Wine, on the x64 DLL the jar ships. Each stage
# prints its wall and processor time, the run its total.
#
# --quick: the host build and its tests only, for the edit-build-test loop.
set -euo pipefail
cd "$(dirname "$0")/.."

microseconds() { echo "${EPOCHREALTIME/./}"; }
# seconds since the microsecond count $1, to a tenth
since() { local tenths=$((($(microseconds) - $1) / 100000)); echo "$((tenths / 10)).$((tenths % 10))"; }
# The processor time of the finished commands so far, in hundredths of a
# second, into $used (times must run in this shell, not in a subshell; the
# background stage has a file of its own): on a shared machine it tells a slow
# stage from a crowded one.
times_folder=$(mktemp -d)
cpu() {
  local file=$times_folder/$BASHPID
  times >"$file"
  used=$(awk 'NR == 2 { split($1 " " $2, t, /[ms ]/); print int((t[1] * 60 + t[2] + t[4] * 60 + t[5]) * 100) }' "$file")
}
begun=$(microseconds)
current=
trap 'status=$?; rm -rf "$times_folder"; [[ $status == 0 || -z $current ]] || echo "== $current failed" >&2' EXIT

# stage NAME COMMAND...: runs it and prints one line with its wall time.
stage() {
  local from before used
  from=$(microseconds)
  cpu
  before=$used
  current=$1
  shift
  "$@"
  cpu
  used=$((used - before))
  printf '== %-20s %6s s   (processor %d.%02d s)\n' "$current" "$(since "$from")" $((used / 100)) $((used % 100))
  current=
}

quietly() { "$@" >/dev/null; }

# preset NAME [CTEST ARGUMENTS...]: configures, builds and tests a preset.
preset() {
  local name=$1
  shift
  stage "$name configure" quietly cmake --preset "$name"
  stage "$name build" cmake --build --preset "$name"
  stage "$name test" ctest --preset "$name" "$@"
}

stage install scripts/install-deps.sh
preset host --parallel 2
[[ ${1:-} == --quick ]] && { printf '== %-20s %6s s\n' total "$(since "$begun")"; exit 0; }
# The Windows suite runs once, in the package stage, on the DLL that ships.
preset mingw-x64 -R '^exports$'
preset mingw-i686

# background NAME FUNCTION: runs a stage beside the others, its output in
# build/NAME.log and its exit status in build/NAME.status. Started from a
# subshell that returns at once, so that its processor time is never counted
# in whichever stage is running when it ends.
background() {
  rm -f "build/$1.status"
  ( (
    trap "echo \$? >build/$1.status" EXIT
    stage "$1" "$2" >"build/$1.log" 2>&1
  ) & )
}
# finish NAME: waits for a background stage and prints its output and line.
finish() {
  current="$1 (log: build/$1.log)"
  until [[ -s build/$1.status ]]; do sleep 1; done
  [[ $(cat "build/$1.status") == 0 ]] || { cat "build/$1.log"; exit 1; }
  grep -v "^== $1 " "build/$1.log" || true
  grep "^== $1 " "build/$1.log"
  current=
}

# The jar is packaged and tried, and clang-tidy run, beside the sanitizer
# build and the checks after it, so that the Wine suite, the JVMs and the
# sanitizer tests do not leave a processor idle.
package() {
  scripts/package.sh
  first=$(sha256sum build/dist/iisconfigure-*.jar)
  scripts/package.sh >/dev/null
  [[ $(sha256sum build/dist/iisconfigure-*.jar) == "$first" ]] || { echo "two package.sh runs differ"; exit 1; }
  tests/package/packaged_jar.sh build/dist/iisconfigure-*.jar
}
background package package

# The library with the host build's compile commands; the simulated host as
# one translation unit, as it is built, so that its JSON header is parsed once
# rather than once a file (nine times the processor time).
tidy() {
  git ls-files 'src/*.cpp' | xargs -P 2 -n 4 clang-tidy-14 -p build/host --quiet
  git ls-files 'winsim/src/*.cpp' | sed 's|.*|#include "../../&"|' >build/host/winsim-tidy.cpp
  clang-tidy-14 --quiet --checks=-bugprone-suspicious-include build/host/winsim-tidy.cpp -- \
    -std=c++17 -Iwinsim/include -Ibuild/host/winsim/iis-names -Iwinsim/src
}
background tidy tidy

preset asan --parallel 2

fuzz() {
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
  mkdir -p build/fuzz/corpus
  build/fuzz/list_edits_fuzzer -runs=50000 -max_total_time=30 build/fuzz/corpus
}
stage fuzz fuzz

mapfile -t formatted < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'winsim/*.cpp' 'winsim/*.h' 'bench/*.cpp')
stage format clang-format-14 --dry-run --Werror "${formatted[@]}"

finish tidy
finish package
printf '== %-20s %6s s\n' total "$(since "$begun")"

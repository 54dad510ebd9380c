#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing:
#   install-deps.sh [tools]   tools: only what the library, the simulated host and the preview tools need
set -euo pipefail

packages=(
  cmake ninja-build g++ nlohmann-json3-dev mingw-w64-common
  openjdk-17-jdk-headless libgoogle-gson-java libpicocli-java
)
if [ "${1-}" != tools ]; then
  packages+=(
    python3 unzip libgtest-dev libgmock-dev googletest libbenchmark-dev junit5
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64
    binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
    clang libclang-rt-14-dev clang-tidy-14 clang-format-14
  )
fi

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y --no-install-recommends "${missing[@]}"

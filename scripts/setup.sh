#!/bin/bash
# Installs what building and testing Purgon needs on Debian, when it is missing:
# the MinGW-w64 cross compilers and tools, Wine (32-bit), GoogleTest sources, CMake, Ninja.
set -euo pipefail
need=()
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || need+=(g++-mingw-w64-i686)
have i686-w64-mingw32-widl || need+=(mingw-w64-tools)
have cmake || need+=(cmake)
have ninja || need+=(ninja-build)
have g++ || need+=(g++)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
if ! have wine || ! dpkg -s wine32:i386 >/dev/null 2>&1; then need+=(wine wine32:i386 wine64); fi
have flock || need+=(util-linux)
[ ${#need[@]} -eq 0 ] && exit 0
echo "setup: installing ${need[*]}"
export DEBIAN_FRONTEND=noninteractive
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
apt-get update -qq
apt-get install -y -qq "${need[@]}" >/dev/null

#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks to build, run and test Vantrel.
# Does nothing when everything is present. Packages come from apt-get only.
set -euo pipefail

need=()
have() { command -v "$1" >/dev/null 2>&1; }
have cmake || need+=(cmake)
have g++ || need+=(g++)
have clang-format || need+=(clang-format)
have x86_64-w64-mingw32-g++-posix || need+=(g++-mingw-w64-x86-64)
have wine || need+=(wine)
[ -x /usr/lib/wine/wine64 ] || need+=(wine64)
have Xvfb || need+=(xvfb)
have xauth || need+=(xauth)
have xwininfo || need+=(x11-utils)
have import || need+=(imagemagick)
[ -d /usr/src/googletest ] || need+=(googletest)
[ -f /usr/include/gtest/gtest.h ] || need+=(libgtest-dev libgmock-dev)
[ -f /usr/include/benchmark/benchmark.h ] || need+=(libbenchmark-dev)

if [ ${#need[@]} -eq 0 ]; then
    exit 0
fi
echo "setup: installing ${need[*]}"
if [ "$(id -u)" -eq 0 ]; then
    sudo=()
elif have sudo; then
    sudo=(sudo)
else
    echo "setup: run as root (or with sudo) to install: ${need[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -q
"${sudo[@]}" apt-get install -y -q --no-install-recommends "${need[@]}"

#!/usr/bin/env bash
# Cross-builds the core, the batch tool and the core tests for Windows with MinGW-w64, runs the
# tests under Wine and compares the Windows batch tool's results with the Linux one's
# (scripts/windows-compare.sh). SQLite and GoogleTest for Windows come from scripts/windows-libs.sh.
# Folders: build-win (Windows), build-lin (the Linux batch tool for the comparison).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${WINDOWS_BUILD:-build-win}
deps=$root/$build/deps
prefix=$deps/prefix

bash scripts/install-deps.sh
bash scripts/install-deps-windows.sh

export WINEPREFIX=$root/$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$deps"
# The Wine prefix is made once, before the first test program runs in it.
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
"$wine" wineboot --init >/dev/null 2>&1

bash scripts/windows-libs.sh "$deps"

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKALMORA_BUILD_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKALMORA_WINDOWS_PREFIX="$prefix" >/dev/null
cmake --build "$build" -j2
(cd "$build" && ctest --output-on-failure -j2)

bash scripts/windows-compare.sh "$build/src/kalmora-cli.exe"
bash scripts/windows-crash.sh "$build/src/kalmora-cli.exe"

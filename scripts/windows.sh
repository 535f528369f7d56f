#!/usr/bin/env bash
# Cross-builds the core, the batch tool and the core tests for Windows with MinGW-w64, runs the
# tests under Wine and compares the Windows batch tool's results with the Linux one's
# (scripts/windows-compare.sh). SQLite and GoogleTest for Windows are built from Debian's sources.
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

# SQLite: Debian's source package with its patches, made into the amalgamation on this machine and
# compiled with the options Debian's own library has, so both tools write the same files.
if [ ! -f "$prefix/lib/libsqlite3.a" ]; then
  rm -rf "$deps/sqlite"
  mkdir -p "$deps/sqlite" "$prefix/include" "$prefix/lib"
  (
    cd "$deps/sqlite"
    apt-get source --download-only sqlite3 >/dev/null 2>&1 || {
      echo "apt-get source sqlite3 ist fehlgeschlagen (deb-src-Quellen?)" >&2
      exit 1
    }
    dpkg-source -x sqlite3_*.dsc source >/dev/null 2>&1
    mkdir amalgamation
    cd amalgamation
    ../source/configure --disable-tcl >/dev/null
    make sqlite3.c >/dev/null
    x86_64-w64-mingw32-gcc-posix -O2 -fno-strict-aliasing -c sqlite3.c -o sqlite3.o \
      -DSQLITE_SECURE_DELETE -DSQLITE_ENABLE_COLUMN_METADATA -DSQLITE_ENABLE_FTS3 \
      -DSQLITE_ENABLE_FTS3_PARENTHESIS -DSQLITE_ENABLE_RTREE=1 -DSQLITE_SOUNDEX=1 \
      -DSQLITE_ENABLE_UNLOCK_NOTIFY -DSQLITE_OMIT_LOOKASIDE=1 -DSQLITE_ENABLE_DBSTAT_VTAB \
      -DSQLITE_ALLOW_ROWID_IN_VIEW -DSQLITE_ENABLE_UPDATE_DELETE_LIMIT=1 -DSQLITE_ENABLE_JSON1 \
      -DSQLITE_LIKE_DOESNT_MATCH_BLOBS -DSQLITE_THREADSAFE=1 -DSQLITE_USE_URI=1 \
      -DSQLITE_MAX_SCHEMA_RETRY=25 -DSQLITE_MAX_VARIABLE_NUMBER=250000
    x86_64-w64-mingw32-ar rcs "$prefix/lib/libsqlite3.a" sqlite3.o
    cp sqlite3.h sqlite3ext.h "$prefix/include/"
  )
fi

# GoogleTest from the sources Debian's googletest package installs.
if [ ! -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$deps/googletest" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF >/dev/null
  cmake --build "$deps/googletest" -j2 >/dev/null
  cmake --install "$deps/googletest" >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DKALMORA_BUILD_GUI=OFF \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKALMORA_WINDOWS_PREFIX="$prefix" >/dev/null
cmake --build "$build" -j2
(cd "$build" && ctest --output-on-failure -j2)

bash scripts/windows-compare.sh "$build/src/kalmora-cli.exe"
bash scripts/windows-crash.sh "$build/src/kalmora-cli.exe"

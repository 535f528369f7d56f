#!/usr/bin/env bash
# Builds SQLite and GoogleTest for Windows from Debian's sources into <folder>/prefix, once: the
# libraries the core, the batch tool and the tests link. Called by scripts/windows.sh and
# scripts/windows-desktop.sh with their own folders.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
deps=$(realpath -m "$1")
prefix=$deps/prefix
mkdir -p "$deps"

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

#!/usr/bin/env bash
# Builds Qt for Windows (Core, Gui, Widgets, Print Support, Test and the Windows platform and style
# plugins) from Debian's qt6-base source package with the project's MinGW-w64 compiler, once, into a
# cache folder outside the work tree. The folder is named after the Qt version, the compiler and a
# hash of this configuration, so a change to any of them builds a new one; a finished folder holds
# the stamp file `.complete`. Prints the folder on its last line.
set -euo pipefail

cache=${KALMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kalmora}
compiler=x86_64-w64-mingw32-g++-posix
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/+.*//')

# The configuration. Everything the program does not use is off; OpenGL needs three switches (one
# alone leaves dynamic OpenGL on). The +dfsg sources lack the tablet headers, hence no tabletevent.
# FreeType (Qt's own copy) is what the offscreen platform of the window tests draws text with.
options=(
  -DQT_HOST_PATH=/usr
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
  -DBUILD_SHARED_LIBS=ON
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_pkg_config=OFF
  -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_opengl_dynamic=OFF
  -DFEATURE_dbus=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_system_zlib=OFF -DFEATURE_jpeg=OFF
  -DFEATURE_zstd=OFF -DFEATURE_freetype=ON -DFEATURE_system_freetype=OFF -DFEATURE_direct2d=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_printsupport=ON -DFEATURE_testlib=ON -DFEATURE_widgets=ON
)
# Without direct2d, Gui leaves out its DirectWrite font engine and database, which the platform plugin
# (with directwrite3) and the Windows print engine still use.
patch_directwrite() {
  sed -i 's/^#if QT_CONFIG(directwrite3)$/#if QT_CONFIG(directwrite3) \&\& QT_CONFIG(direct2d)/' \
    "$1/src/plugins/platforms/windows/qwindowsintegration.cpp"
  sed -i 's/^#if QT_CONFIG(directwrite)$/#if QT_CONFIG(directwrite) \&\& QT_CONFIG(direct2d)/' \
    "$1/src/printsupport/platform/windows/qprintengine_win.cpp"
}

# Qt's own toolchain: the compiler and the find rules, none of the project's static linking.
qt_toolchain="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER $compiler)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_AR x86_64-w64-mingw32-ar CACHE FILEPATH \"\")
set(CMAKE_RANLIB x86_64-w64-mingw32-ranlib CACHE FILEPATH \"\")
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)"

stamp=$( { printf '%s\n' "${options[@]}"; declare -f patch_directwrite; "$compiler" --version | head -1;
  printf '%s\n' "$qt_toolchain"; } | sha256sum | cut -c1-10)
gcc_major=$("$compiler" -dumpversion | cut -d. -f1)
prefix=$cache/qt-$qt_version-mingw-gcc$gcc_major-$stamp

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

work=$cache/qt-build-$stamp
rm -rf "$work" "$prefix"
mkdir -p "$work"
echo "Qt $qt_version für Windows wird gebaut (beim ersten Mal etwa eine Stunde auf zwei Kernen) ..." >&2
start=$(date +%s)
(
  cd "$work"
  apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)" \
    >download.log 2>&1 || { echo "apt-get source qt6-base ist fehlgeschlagen (deb-src-Quellen?)" >&2; exit 1; }
  dpkg-source -x qt6-base_*.dsc source >/dev/null 2>&1
  patch_directwrite source
  printf '%s\n' "$qt_toolchain" >toolchain.cmake
  cmake -S source -B build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >configure.log 2>&1 ||
    { tail -30 configure.log >&2; exit 1; }
  nice -n 19 cmake --build build -j2 >build.log 2>&1 || { tail -30 build.log >&2; exit 1; }
  cmake --install build >install.log 2>&1
)
rm -rf "$work"
touch "$prefix/.complete"
echo "Qt für Windows gebaut in $(( ($(date +%s) - start) / 60 )) Minuten: $prefix" >&2
echo "$prefix"

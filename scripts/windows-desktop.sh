#!/usr/bin/env bash
# Builds the desktop program for Windows with its installer and tries both under Wine:
#  - Qt for Windows from Debian's qt6-base sources (scripts/windows-qt.sh, kept in a cache folder),
#    QCustomPlot from Debian's qcustomplot sources, SQLite and GoogleTest (scripts/windows-libs.sh);
#  - kalmora.exe, kalmora-cli.exe and every test against them, the tests run under Wine (the window
#    tests on the offscreen platform);
#  - the program collected with its Qt libraries, plugins, German texts, the MinGW runtime, the
#    reference lists and the handbook of `make docs` in one folder (build-windesk/deploy);
#  - kalmora-VERSION-setup.exe made with NSIS, installed silently under Wine and removed again;
#  - three screenshots of the installed program on Wine's virtual desktop.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
began=$(date +%s)
build=${WINDOWS_DESKTOP_BUILD:-build-windesk}
out=$root/$build
cache=${KALMORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/kalmora}
version=$(sed -n 's/^project(Kalmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

step() { echo "== $* ($(( $(date +%s) - began )) s)"; }

bash scripts/install-deps-windows.sh
bash scripts/install-deps.sh --windows-desktop

# The handbook (HTML and PDF) goes with the program.
step "Handbuch (make docs)"
make --no-print-directory docs >/dev/null

step "Qt für Windows"
qt_began=$(date +%s)
qt=$(bash scripts/windows-qt.sh | tail -1)
echo "Qt für Windows: $qt, bereit nach $(( $(date +%s) - qt_began )) s"
# Qt's German texts are the same for every system; the Windows Qt is built without them.
mkdir -p "$qt/translations"
cp /usr/share/qt6/translations/qtbase_de.qm "$qt/translations/"

# QCustomPlot: the same version as Debian's library for the Linux build, from its source package.
qcp_version=$(dpkg-query -W -f='${Version}' libqcustomplot-dev)
qcp=$cache/qcustomplot-$qcp_version
if [ ! -f "$qcp/qcustomplot.cpp" ]; then
  work=$(mktemp -d)
  (
    cd "$work"
    apt-get source --download-only "qcustomplot=$qcp_version" >/dev/null 2>&1 ||
      { echo "apt-get source qcustomplot ist fehlgeschlagen (deb-src-Quellen?)" >&2; exit 1; }
    dpkg-source -x qcustomplot_*.dsc source >/dev/null 2>&1
  )
  mkdir -p "$qcp"
  cp "$work"/source/qcustomplot.cpp "$work"/source/qcustomplot.h "$work"/source/GPL.txt "$qcp/"
  rm -rf "$work"
fi

step "SQLite und GoogleTest für Windows"
bash scripts/windows-libs.sh "$out/deps"

export WINEPREFIX=$out/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
"$wine" wineboot --init >/dev/null 2>&1

# The program links the MinGW runtime as libraries, as Qt's own libraries do: one copy in the process.
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
runtime=("$gcc_dir/libstdc++-6.dll" "$gcc_dir/libgcc_s_seh-1.dll" /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll)
# Wine's drive Z: is the Linux root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPATH="$(windows_path "$qt/bin");$(windows_path "$gcc_dir");$(windows_path /usr/x86_64-w64-mingw32/lib)"
# The offscreen platform of the window tests draws with FreeType from the fonts in one folder: the
# sans-serif face the Linux tests draw with, and no other that could stand in for it.
fonts=$out/test-fonts
mkdir -p "$fonts"
ln -sf /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf \
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Oblique.ttf /usr/share/fonts/truetype/dejavu/DejaVuSans-BoldOblique.ttf \
  "$fonts/"
export QT_QPA_FONTDIR=$(windows_path "$fonts")

step "kalmora.exe, kalmora-cli.exe und die Tests"
cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DKALMORA_WINDOWS_PREFIX="$out/deps/prefix" -DKALMORA_QCUSTOMPLOT_SOURCE="$qcp" \
  -DCMAKE_EXE_LINKER_FLAGS="" >/dev/null
cmake --build "$out" -j2

step "Tests unter Wine"
# Wine makes the windows of the offscreen platform too, and needs an X display for them.
(cd "$out" && xvfb-run -a ctest --output-on-failure -j2)

step "Programmordner"
deploy=$out/deploy
rm -rf "$deploy"
cmake --install "$out" --prefix "$deploy" >/dev/null
mkdir -p "$deploy/plugins/platforms" "$deploy/plugins/styles" "$deploy/share/doc/kalmora"
cp "${runtime[@]}" "$deploy/bin/"
for module in Core Gui Widgets PrintSupport; do cp "$qt/bin/Qt6$module.dll" "$deploy/bin/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$deploy/plugins/platforms/"
cp "$qt/plugins/styles/qwindowsvistastyle.dll" "$deploy/plugins/styles/"
# Qt looks for its plugins relative to the prefix that qt.conf names.
printf '[Paths]\r\nPrefix=..\r\n' >"$deploy/bin/qt.conf"
cp build/docs/handbuch.html build/docs/handbuch.pdf "$deploy/share/doc/kalmora/"
find "$deploy" -name '*.exe' -o -name '*.dll' | xargs x86_64-w64-mingw32-strip --strip-unneeded
# Every library a program or plugin needs is in the folder or one of Windows' own (the api-ms-win-*
# names are sets of Windows' functions that the system resolves, not files).
missing=$(find "$deploy" -name '*.exe' -o -name '*.dll' | xargs -n1 x86_64-w64-mingw32-objdump -p |
  sed -n 's/^\tDLL Name: //p' | sort -uf | grep -viE '^(api|ext)-ms-' | while read -r dll; do
    [ -n "$(find "$deploy/bin" "$WINEPREFIX/drive_c/windows/system32" -maxdepth 1 -iname "$dll" -print -quit)" ] ||
      echo "$dll"
  done)
if [ -n "$missing" ]; then
  echo "Im Programmordner fehlen: $missing" >&2
  exit 1
fi
echo "Programmordner: $deploy ($(du -sm "$deploy" | cut -f1) MB)"

step "Installationsprogramm"
# Made in the build folder (with its work files beside it), then put in the project folder.
bash scripts/windows-installer.sh "$deploy" "$version" "$out/kalmora-$version-setup.exe"
setup=$root/kalmora-$version-setup.exe
mv "$out/kalmora-$version-setup.exe" "$setup"
echo "Installationsprogramm: $setup ($(du -m "$setup" | cut -f1) MB)"

step "Installieren und Deinstallieren unter Wine"
bash scripts/windows-installer-test.sh "$setup" "$deploy"

step "Bildschirmfotos des installierten Programms"
bash scripts/windows-screenshots.sh "$setup" "$out/screenshots"

step "Fertig"

#!/usr/bin/env bash
# Installs the Debian packages Kalmora needs to build, run and test; with --package also those that
# `make package` adds to build and check the Debian package, with --docs those that `make docs` adds
# to render the handbook, with --windows those of the Windows cross build, with --windows-desktop also
# those of the Windows desktop program and its installer, so that building and
# testing never pull them in; with --fuzz only those of the fuzz build (scripts/fuzz.sh).
# Idempotent: does nothing (and prints nothing) when all are present.
set -euo pipefail

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libqcustomplot-dev qt6-translations-l10n libgl-dev
  libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev
  xvfb xauth fonts-liberation
)
# The package's dependencies (dpkg-shlibdeps, file), its pixel icons and its checks.
packaging=(
  dpkg-dev file librsvg2-bin
  desktop-file-utils appstream lintian
)
# The handbook's HTML page and PDF.
documentation=(pandoc weasyprint fonts-liberation)
# The Windows cross build (scripts/windows.sh): compiler, Wine, GoogleTest's sources, and what builds
# SQLite from its Debian source package.
windows=(g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev tcl gcc make sqlite3)
# The desktop program for Windows (scripts/windows-desktop.sh): besides the cross build's packages,
# what builds Qt (Ninja, Qt's host tools), QCustomPlot's version, NSIS, what draws the program's icon,
# and Wine's fonts and a virtual X display with a keyboard and a camera for the screenshots.
windows_desktop=(
  "${windows[@]}" ninja-build qt6-base-dev-tools qt6-translations-l10n libqcustomplot-dev nsis
  fonts-wine xvfb xauth xdotool imagemagick librsvg2-bin
)
# clang with its sanitizer and libFuzzer runtimes, and what the core needs.
fuzzing=(clang libclang-rt-14-dev cmake make libsqlite3-dev)

case "${1:-}" in
  "") ;;
  --package) packages+=("${packaging[@]}") ;;
  --docs) packages+=("${documentation[@]}") ;;
  --windows) packages+=("${windows[@]}") ;;
  --windows-desktop) packages+=("${windows_desktop[@]}") ;;
  --fuzz) packages=("${fuzzing[@]}") ;;
  *)
    echo "Aufruf: scripts/install-deps.sh [--package | --docs | --windows | --windows-desktop | --fuzz]" >&2
    exit 1
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

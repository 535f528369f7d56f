#!/usr/bin/env bash
# Installs what `make windows` needs beside scripts/install-deps.sh (its --windows group: the MinGW-w64
# cross compiler, Wine, GoogleTest's sources, and what makes SQLite's amalgamation from Debian's
# source package), first adding Debian's deb-src lines when apt has none. Idempotent.
set -euo pipefail

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  echo "Adding Debian source lines (deb-src) for SQLite's source package"
  . /etc/os-release
  $sudo tee /etc/apt/sources.list.d/kalmora-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: ${VERSION_CODENAME} ${VERSION_CODENAME}-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: ${VERSION_CODENAME}-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  $sudo apt-get update -qq
fi

exec bash "$(dirname "$0")/install-deps.sh" --windows

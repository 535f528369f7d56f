#!/usr/bin/env bash
# Installs what `make windows` needs beside scripts/install-deps.sh: the MinGW-w64 cross compiler,
# Wine, GoogleTest's sources, and what makes SQLite's amalgamation from Debian's source package
# (whose deb-src lines are added when apt has none). Idempotent.
set -euo pipefail

packages=(g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev tcl gcc make sqlite3)

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

updated=""
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
  updated=yes
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
[ -n "$updated" ] || $sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs the Debian packages Kalmora needs to build, run and test; with "docs", only those that
# `make docs` needs to render the handbook, so that building and testing never pull them in.
# Idempotent: does nothing (and prints nothing) when all are present.
set -euo pipefail

case "${1:-}" in
  "")
    packages=(
      g++ cmake make pkg-config
      qt6-base-dev qt6-charts-dev libqt6opengl6-dev qt6-translations-l10n libgl-dev
      libsqlite3-dev sqlite3
      libgtest-dev libgmock-dev
      xvfb xauth fonts-liberation
    )
    ;;
  docs)
    packages=(pandoc weasyprint fonts-liberation)
    ;;
  *)
    echo "Aufruf: $0 [docs]" >&2
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

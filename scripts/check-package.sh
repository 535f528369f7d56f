#!/usr/bin/env bash
# Checks the Debian package that `make package` built:
#   scripts/check-package.sh kalmora_VERSION_ARCH.deb
# It must hold the programs, the desktop entry, the icons, the AppStream metadata, both manual pages
# the copyright file and the handbook; the desktop entry must pass desktop-file-validate, the metadata
# appstreamcli validate --no-net, and lintian must find no error. Lintian's warnings are shown.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "Aufruf: scripts/check-package.sh PAKET.deb" >&2
  exit 1
fi
package=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/kalmora-package-XXXXXX")
trap 'rm -rf -- "$work"' EXIT

dpkg-deb -x "$package" "$work/root"
failed=0
for file in usr/bin/kalmora usr/bin/kalmora-cli \
  usr/share/applications/kalmora.desktop \
  usr/share/icons/hicolor/scalable/apps/kalmora.svg \
  usr/share/icons/hicolor/16x16/apps/kalmora.png usr/share/icons/hicolor/48x48/apps/kalmora.png \
  usr/share/icons/hicolor/256x256/apps/kalmora.png \
  usr/share/metainfo/invalid.kalmora.Kalmora.metainfo.xml \
  usr/share/man/man1/kalmora.1.gz usr/share/man/man1/kalmora-cli.1.gz \
  usr/share/doc/kalmora/copyright usr/share/doc/kalmora/handbuch.html usr/share/doc/kalmora/handbuch.pdf \
  usr/share/kalmora/reference/hospitals.csv usr/share/kalmora/reference/departments.csv; do
  if [ ! -s "$work/root/$file" ]; then
    echo "Im Paket fehlt /$file." >&2
    failed=1
  fi
done
[ "$failed" -eq 0 ] || exit 1

echo "desktop-file-validate:"
desktop-file-validate "$work/root/usr/share/applications/kalmora.desktop"
echo "appstreamcli validate --no-net:"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/invalid.kalmora.Kalmora.metainfo.xml"
echo "lintian:"
lintian --fail-on error --info "$package"
echo "$package: in Ordnung."

#!/usr/bin/env bash
# Makes Kalmora's Windows installer with NSIS from a deployed folder (bin, plugins, share). Writes the
# licence text and the list of the folder's files into a work folder beside the setup program, puts
# the licence text into the folder as share/doc/kalmora/LIZENZEN.txt and runs makensis on
# dist/windows/kalmora.nsi. Prints nothing but errors.
# Usage: scripts/windows-installer.sh DEPLOYED_FOLDER VERSION SETUP_EXE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

fail() {
  echo "$*" >&2
  exit 1
}

[ $# -eq 3 ] || fail "Aufruf: scripts/windows-installer.sh <bereitgestellter Ordner> <Version> <setup.exe>"
[ -d "$1" ] || fail "Der bereitgestellte Ordner $1 fehlt."
source=$(cd "$1" && pwd)
version=$2
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "Version $version: erwartet sind drei Zahlen, etwa 11.0.1."
mkdir -p "$(dirname "$3")"
out=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
work=$(dirname "$out")/windows-installer
command -v makensis >/dev/null || fail "makensis fehlt (Debian-Paket nsis)."
for f in bin/kalmora.exe share/doc/kalmora/handbuch.html; do
  [ -f "$source/$f" ] || fail "$source/$f fehlt."
done
licences=("$root/LICENSE" /usr/share/common-licenses/LGPL-3 /usr/share/common-licenses/GPL-3)
for f in "${licences[@]}"; do
  [ -f "$f" ] || fail "Der Lizenztext $f fehlt."
done
mkdir -p "$work"

# The licence text: the overview, then the full texts, as UTF-8 with byte order mark and CRLF, which
# NSIS's licence page and Windows' editor both read.
licence=$work/Lizenzen.txt
# The source packages the libraries are built from, with the versions this machine has.
source_packages() {
  local name package library
  while read -r name package library; do
    printf '  %-18s %-30s %s\n' "$name" "$(dpkg-query -W -f='${source:Version}' "$package")" "$library"
  done <<'PACKAGES'
qt6-base qt6-base-dev-tools Qt_Base
qt6-translations qt6-translations-l10n Qts_deutsche_Texte
qcustomplot libqcustomplot-dev QCustomPlot
sqlite3 libsqlite3-dev SQLite
gcc-mingw-w64 g++-mingw-w64-x86-64-posix libstdc++,_libgcc
mingw-w64 mingw-w64-common winpthreads
PACKAGES
}
packages=$(source_packages | tr '_' ' ')
{
  printf '\xef\xbb\xbf'
  while IFS= read -r line; do
    if [ "$line" = "@SOURCE_PACKAGES@" ]; then printf '%s\n' "$packages"; else printf '%s\n' "$line"; fi
  done <"$root/dist/windows/Lizenzen.txt"
  for f in "${licences[@]}"; do
    printf '\n\n%s\n\n' "========================================================================"
    cat "$f"
  done
} | sed 's/\r$//; s/$/\r/' >"$licence"
cp "$licence" "$source/share/doc/kalmora/LIZENZEN.txt"

# A name Windows cannot hold, or one NSIS would read as its own syntax ($, quotes), stops the build
# here rather than as a broken installer.
forbidden='["`$*?<>|:\\[:cntrl:]]'
trailing='[. ](/|$)'
check_name() {
  if [[ $1 =~ $forbidden || $1 =~ $trailing ]]; then
    fail "Diesen Namen kann Windows (oder NSIS) nicht halten: $1"
  fi
}
if [[ $source =~ [\"\`\$] ]]; then
  fail "Der Pfad $source enthält \$, \" oder \`, die NSIS selbst deutet."
fi
other=$(cd "$source" && find . -mindepth 1 ! -type f ! -type d -printf '%P\n')
[ -z "$other" ] || fail "Im bereitgestellten Ordner steht anderes als Dateien und Ordner: $other"
mapfile -d '' files < <(cd "$source" && find . -mindepth 1 -type f -printf '%P\0' | LC_ALL=C sort -z)
# Deepest first, so that each plain RMDir finds its subfolders already gone.
mapfile -d '' folders < <(cd "$source" && find . -mindepth 1 -type d -printf '%P\0' | LC_ALL=C sort -rz)
mapfile -d '' empty < <(cd "$source" && find . -mindepth 1 -type d -empty -printf '%P\0' | LC_ALL=C sort -z)
for f in "${files[@]}" "${folders[@]}"; do check_name "$f"; done
clash=$(printf '%s\n' "${files[@]}" "${folders[@]}" | tr '[:upper:]' '[:lower:]' | sort | uniq -d)
[ -z "$clash" ] || fail "Diese Namen unterscheiden sich nur in Groß- und Kleinschreibung, was Windows nicht trennt: $clash"

# The include file: the same list installs and uninstalls, so the uninstaller removes exactly what
# was installed.
windows() { printf '%s' "${1//\//\\}"; }
{
  printf '\xef\xbb\xbf'
  echo "; Made by scripts/windows-installer.sh from $source."
  echo '!macro KALMORA_INSTALL_FILES'
  current=
  for f in "${files[@]}"; do
    dir=$(dirname "$f")
    if [ "$dir" != "$current" ]; then
      target=\$INSTDIR
      [ "$dir" = . ] || target+="\\$(windows "$dir")"
      echo "  SetOutPath \"$target\""
      current=$dir
    fi
    echo "  File \"\${SOURCE}/$f\""
  done
  for d in "${empty[@]}"; do echo "  CreateDirectory \"\$INSTDIR\\$(windows "$d")\""; done
  echo '!macroend'
  echo '!macro KALMORA_DELETE_FILES'
  for f in "${files[@]}"; do echo "  Delete \"\$INSTDIR\\$(windows "$f")\""; done
  echo '!macroend'
  echo '!macro KALMORA_REMOVE_FOLDERS'
  for d in "${folders[@]}"; do echo "  RMDir \"\$INSTDIR\\$(windows "$d")\""; done
  echo '!macroend'
} >"$work/files.nsh"

log=$work/makensis.log
if ! makensis -V2 -WX -DVERSION="$version" -DSOURCE="$source" -DLICENCE="$licence" -DOUTFILE="$out" \
  -DFILES="$work/files.nsh" "$root/dist/windows/kalmora.nsi" >"$log" 2>&1; then
  cat "$log" >&2
  fail "makensis ist fehlgeschlagen."
fi

#!/usr/bin/env bash
# Sets up the demo installation that `make run` and `make screenshots` work on:
#   scripts/demo.sh [--show] KALMORA-CLI DEMO-FOLDER
# Four departments of three hospitals with a year of generated stays (a few of them faulty), the
# survey period set to that year, and staffing figures that give levels and points. The demo is
# kept between runs and built anew when it is missing, comes from an earlier version of this script
# or the year has turned. With --show the demo's settings, import and classification are printed,
# for a machine without a display.
set -euo pipefail

show=0
if [ "${1:-}" = "--show" ]; then
  show=1
  shift
fi
if [ $# -ne 2 ]; then
  echo "Aufruf: scripts/demo.sh [--show] KALMORA-CLI DEMO-ORDNER" >&2
  exit 1
fi
cli=$1
demo=$2

# Raised whenever the demo's content changes, so that an older demo is built anew.
version=2
# The last full year: its stays are complete, and a survey period of it is what a ward reports.
year=$((10#$(date +%Y) - 1))

# hospital, department, stays, seed, DGKP, systemised beds, pre-classification
departments=(
  "K001 125101 320 1 18,4 8 none"
  "K001 121001 240 2 11 6 none"
  "K002 123001 280 3 21,5 10 none"
  "K003 122701 200 4 16,5 6 E2"
)

mkdir -p -- "$demo"
demo=$(cd -- "$demo" && pwd)
ini=$demo/Kalmora11_0.ini
marker=$demo/.kalmora-demo
stamp="Kalmora-Demo $version, Erhebungsjahr $year"

current() {
  [ -f "$marker" ] && [ "$(cat -- "$marker")" = "$stamp" ] && [ -f "$ini" ] &&
    [ -f "$demo/system/iadmin.mdb" ] && [ -n "$(ls -A -- "$demo/import" 2>/dev/null)" ]
}

# A demo of this script, of any version: it has the marker, or (before there was one) the settings
# file of `setup` and nothing but generated files to import. Anything else is not ours to replace.
ours() {
  [ -z "$(ls -A -- "$demo")" ] && return 0
  [ -f "$marker" ] && return 0
  [ -f "$ini" ] || return 1
  local file
  for file in "$demo"/import/*; do
    [ -e "$file" ] || continue
    [[ $(basename -- "$file") =~ ^A[0-9][0-9A-Za-z]{4}01X[0-9A-Za-z]{3}\.txt$ ]] || return 1
  done
}

fresh=0
import_result=""
if ! current; then
  if ! ours; then
    echo "scripts/demo.sh: $demo ist kein Demo-Verzeichnis; es bleibt unverändert." >&2
    echo "Bitte ein leeres oder neues Verzeichnis als DEMO angeben." >&2
    exit 2
  fi
  echo "Demo wird angelegt in $demo: ${#departments[@]} Abteilungen, Erhebungszeitraum 01.01.$year bis 31.12.$year."
  # Only what setup and this script made; the marker goes last, so a broken run is redone.
  rm -rf -- "$marker" "$ini" "$demo/system" "$demo/import" "$demo/export"
  "$cli" setup "$demo" >/dev/null
  # Setup writes the current year; the demo's stays are of the last full one.
  sed -i -e "s/^\(Erhebungvon=\)[0-9]*/\1${year}0101/" -e "s/^\(Erhebungbis=\)[0-9]*/\1${year}1231/" "$ini"
  settings=$("$cli" --ini "$ini" settings)
  if ! grep -qx "Erhebungvon=${year}0101" <<<"$settings" || ! grep -qx "Erhebungbis=${year}1231" <<<"$settings"; then
    echo "scripts/demo.sh: der Erhebungszeitraum in $ini wurde nicht gesetzt." >&2
    exit 2
  fi
  for line in "${departments[@]}"; do
    read -r hospital department stays seed _ <<<"$line"
    "$cli" generate "$demo/import" --hospital "$hospital" --department "$department" --stays "$stays" \
      --seed "$seed" --year "$year" >/dev/null
  done
  import_result=$("$cli" --ini "$ini" import --yes "$demo"/import/*)
  for line in "${departments[@]}"; do
    read -r hospital department _ _ dgkp beds pre <<<"$line"
    "$cli" --ini "$ini" department "$hospital/${department}01" --dgkp "$dgkp" --beds "$beds" --pre "$pre" >/dev/null
  done
  echo "$stamp" >"$marker"
  fresh=1
  if [ "$show" -eq 0 ]; then
    echo "Import:"
    echo "$import_result"
  fi
fi

[ "$show" -eq 1 ] || exit 0

echo "Einstellungen ($ini):"
"$cli" --ini "$ini" settings
echo
echo "Import:"
if [ "$fresh" -eq 1 ]; then
  echo "$import_result"
else
  "$cli" --ini "$ini" import --initialise --yes "$demo"/import/*
fi
echo
classification=$("$cli" --ini "$ini" classify)
echo "Einstufung (gekürzt; die ganze Tabelle gibt $cli --ini $ini classify aus):"
# Of the table's 24 columns the level and its figures; the department last, as its name varies in
# length.
awk -F '\t' '
  NR > 1 {
    sub(/ +$/, "", $2); sub(/ +$/, "", $3)
    pre = $23 ~ /[^ ]/ ? "  (Voreinstufung " $23 ")" : ""
    printf "  %s  %-8s %6s Punkte  TISS-Mittelwert %5s  DGKP/sBett %5s  %s%s%s\n",
           $1, $3, $4, $6, $8, $2, pre, $24 == "" ? "" : "  " $24
  }
' <<<"$classification"

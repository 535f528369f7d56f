#!/usr/bin/env bash
# Load run: DEPARTMENTS departments with a year of stays each (STAYS per department), imported in
# one run, then classified, analysed and exported with the batch tool of a release build. Prints
# the time and the peak memory of each step. Run from the project root: bash bench/load.sh
set -euo pipefail

DEPARTMENTS=${DEPARTMENTS:-50}
STAYS=${STAYS:-900}
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build-release}

bash "$ROOT/scripts/install-deps.sh"
if ! command -v /usr/bin/time >/dev/null 2>&1; then
  echo "/usr/bin/time fehlt (Debian-Paket time)." >&2
  exit 1
fi
BUILD_LOG=$(mktemp)
if ! { cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DKALMORA_BUILD_TESTS=OFF &&
  cmake --build "$BUILD" --target kalmora-cli -j2; } >"$BUILD_LOG" 2>&1; then
  cat "$BUILD_LOG" >&2
  exit 1
fi
rm -f "$BUILD_LOG"
CLI=$BUILD/src/kalmora-cli

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kalmora-load-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
INI=$WORK/Kalmora11_0.ini
"$CLI" setup "$WORK" >/dev/null

# Hospitals of ten departments each, named in the reference tables; every department its own seed.
{
  echo "KANR;BEZEICHNUNG"
  for ((hospital = 1; hospital <= (DEPARTMENTS + 9) / 10; hospital++)); do
    printf 'K%03d;Lastklinikum %d\n' "$hospital" "$hospital"
  done
} >"$WORK/hospitals.csv"
{
  echo "ABTEILUNG;BEZEICHNUNG"
  for ((department = 1; department <= 10; department++)); do
    printf '12%04d;Intensivstation %d\n' "$department" "$department"
  done
} >"$WORK/departments.csv"
"$CLI" --ini "$INI" load-reference --hospitals "$WORK/hospitals.csv" --departments "$WORK/departments.csv" >/dev/null
for ((index = 0; index < DEPARTMENTS; index++)); do
  hospital=$(printf 'K%03d' $((index / 10 + 1)))
  department=$(printf '12%04d' $((index % 10 + 1)))
  "$CLI" generate "$WORK/import" --hospital "$hospital" --department "$department" \
    --stays "$STAYS" --seed $((index + 1)) >/dev/null
done
files=("$WORK"/import/*)
lines=$(cat "${files[@]}" | wc -l)
size=$(du -sh "$WORK/import" | cut -f1)
echo "Lastlauf: ${#files[@]} Abteilungen, je $STAYS Aufenthalte eines Jahres, $lines Zeilen ($size)"

step() {
  local name=$1
  shift
  /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >"$WORK/out" 2>"$WORK/err" || {
    echo "$name fehlgeschlagen:" >&2
    cat "$WORK/err" >&2
    exit 1
  }
  read -r seconds kilobytes <"$WORK/time"
  printf '%-12s %8s s  %8d MB Spitze\n' "$name" "$seconds" $((kilobytes / 1024))
}

step "Import" "$CLI" --ini "$INI" import --yes "${files[@]}"
step "Einstufung" "$CLI" --ini "$INI" classify --from 01.01.2024 --to 31.12.2024
step "Analyse" "$CLI" --ini "$INI" analyse
step "Export" "$CLI" --ini "$INI" export
echo "Exportdatei: $(du -h "$WORK/export/gesamt.mdb" 2>/dev/null | cut -f1 || echo '?')"

#!/usr/bin/env bash
# Kills the Windows batch tool (under Wine) at random moments of an import: the department must keep
# exactly its old or exactly its new stays, every database must pass the integrity check, and the
# next import must work on whatever the killed one left behind.
# Usage: scripts/windows-crash.sh WINDOWS_CLI [KILLS]
set -euo pipefail
windows_cli=$(realpath "$1")
kills=${2:-20}
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
cli() { "$wine" "$windows_cli" "$@"; }
ini=$(winpath "$work/inst/Kalmora11_0.ini")

mkdir -p "$work/a" "$work/b"
file_a=$(cli generate "$(winpath "$work/a")" --stays 3000 --seed 1 | tr -d '\r')
file_b=$(cli generate "$(winpath "$work/b")" --stays 3000 --seed 2 | tr -d '\r')
cli setup "$(winpath "$work/inst")" >/dev/null
department=K001/12510101
stored() { cli --ini "$ini" stays "$department"; }

cli --ini "$ini" import --initialise --yes "$file_a" >/dev/null 2>&1
state_a=$(stored)
cli --ini "$ini" import --initialise --yes "$file_b" >/dev/null 2>&1
state_b=$(stored)
[ "$state_a" != "$state_b" ] || { echo "the two files store the same stays" >&2; exit 1; }

files=("$file_a" "$file_b")
current=1
kept_old=0
stored_new=0
for ((i = 0; i < kills; i++)); do
  next=$((1 - current))
  # Somewhere in an import of about a second and a half.
  pause=$(awk -v seed="$i" 'BEGIN { srand(seed + 17); printf "%.2f", 0.05 + rand() * 1.2 }')
  cli --ini "$ini" import --initialise --yes "${files[$next]}" >/dev/null 2>&1 &
  pid=$!
  sleep "$pause"
  kill -9 "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  if ! check=$(cli --ini "$ini" check); then
    echo "after a kill at ${pause}s: $check" >&2
    exit 1
  fi
  now=$(stored)
  if [ "$now" = "$([ $next = 0 ] && echo "$state_a" || echo "$state_b")" ]; then
    stored_new=$((stored_new + 1))
    current=$next
  elif [ "$now" = "$([ $current = 0 ] && echo "$state_a" || echo "$state_b")" ]; then
    kept_old=$((kept_old + 1))
  else
    echo "after a kill at ${pause}s the department holds neither the old nor the new stays:" >&2
    diff <(echo "$state_a") <(echo "$now") | head -5 >&2
    diff <(echo "$state_b") <(echo "$now") | head -5 >&2
    exit 1
  fi
done
# The next run clears what the killed ones left and imports as usual.
# The lock of a killed program is given up once the system has cleared the program away, which
# under Wine may take a moment: the run is tried again then, as a user would.
for attempt in 1 2 3 4 5 6 7 8 9 10; do
  if result=$(cli --ini "$ini" import --initialise --yes "$file_a" 2>&1); then
    break
  elif [ $attempt = 10 ] || ! grep -q "Ein anderer Import" <<<"$result"; then
    echo "the import after the kills failed: $result" >&2
    exit 1
  fi
  sleep 1
done
[ "$(stored)" = "$state_a" ] || { echo "the import after the kills did not store its stays" >&2; exit 1; }
cli --ini "$ini" check >/dev/null
echo "Windows (Wine): $kills Importe abgebrochen, $kept_old behielten die alten, $stored_new speicherten die neuen Aufenthalte; danach lief der nächste Import vollständig."

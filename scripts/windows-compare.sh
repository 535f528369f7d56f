#!/usr/bin/env bash
# Imports the same generated files with the Linux and the Windows batch tool (under Wine) and shows
# that both give the same results: the result table, the protocol file, the classification, the
# analysis, the stay list, the department list and the export database.
# Usage: scripts/windows-compare.sh WINDOWS_CLI [LINUX_CLI]
set -euo pipefail
cd "$(dirname "$0")/.."
windows_cli=$(realpath "$1")
linux_cli=${2:-build-lin/src/kalmora-cli}
if [ ! -x "$linux_cli" ]; then
  cmake -S . -B build-lin -DCMAKE_BUILD_TYPE=Debug -DKALMORA_BUILD_GUI=OFF >/dev/null
  cmake --build build-lin --target kalmora-cli -j2 >/dev/null
fi
linux_cli=$(realpath "$linux_cli")
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export TZ=UTC LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A folder with an umlaut and a blank, as hospital shares have.
base="$work/Intensiv Übergabe"

run() {  # SYSTEM ARGS...: runs the tool of SYSTEM, in its own installation
  local system=$1
  shift
  if [ "$system" = linux ]; then
    "$linux_cli" "$@"
  else
    "$wine" "$windows_cli" "$@"
  fi
}

# Windows prints its paths as Z:\... with backslashes; what is compared has no paths in it except
# where noted.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mkdir -p "$base/files"
run linux generate "$base/files" --hospital K001 --department 125101 --stays 300 --seed 7 --year 2024 >/dev/null
run linux generate "$base/files" --hospital K002 --department 123001 --stays 200 --seed 11 --year 2024 >/dev/null
run linux generate "$base/files" --hospital K003 --department 122701 --stays 150 --seed 13 --year 2024 >/dev/null
mapfile -t files < <(find "$base/files" -type f | sort)

status=0
for system in linux windows; do
  root="$base/$system"
  if [ "$system" = linux ]; then
    ini="$root/Kalmora11_0.ini"
    list=("${files[@]}")
  else
    ini=$(winpath "$root/Kalmora11_0.ini")
    list=()
    for f in "${files[@]}"; do list+=("$(winpath "$f")"); done
    root_arg=$(winpath "$root")
  fi
  out="$work/out-$system"
  mkdir -p "$out"
  run "$system" setup "${root_arg:-$root}" >/dev/null
  # Each command's output and exit status.
  step() {
    local name=$1
    shift
    local code=0
    run "$system" --ini "$ini" "$@" >"$out/$name.txt" || code=$?
    echo "$name: $code" >>"$out/status.txt"
  }
  step import import --yes "${list[@]}"
  step department department K001/12510101 --dgkp 18,4 --beds 8
  step classify classify --from 01.01.2024 --to 31.12.2024
  step analyse analyse
  step departments departments
  step stays stays K002/12300101
  step export export
  step check check
  cp "$root/export/protocol.dat" "$out/protocol.dat"
  cp "$root/Kalmora11_0.ini" "$out/Kalmora11_0.ini"
  # The admin database remembers the files it checked by their identity on the machine (device,
  # inode, modification time), which differs between the systems: compared as data without it, and
  # which files it remembers.
  sqlite3 "$root/system/iadmin.mdb" .dump | grep -v '^INSERT INTO VerifiedFiles ' >"$out/iadmin.sql"
  sqlite3 "$root/system/iadmin.mdb" 'SELECT "FILE", "PLACED" FROM "VerifiedFiles" ORDER BY 1' >"$out/verified.txt"
  sqlite3 "$root/export/gesamt.mdb" .dump >"$out/gesamt.sql"
  cp "$root/export/gesamt.mdb" "$out/gesamt.mdb"
  # The stored department databases, as data and as bytes.
  for db in "$root"/system/*X*; do
    sqlite3 "$db" .dump >"$out/$(basename "$db").sql"
    cp "$db" "$out/$(basename "$db")"
  done
  unset root_arg
done

# `check` prints each file's path and the settings file holds the installation's folders: the
# installation's folder and the separators are normalised there.
for name in check.txt Kalmora11_0.ini; do
  sed -i "s|$base/linux|ROOT|" "$work/out-linux/$name"
  sed -i "s|$(winpath "$base/windows" | sed 's/\\/\\\\/g')|ROOT|; s|\\\\|/|g" "$work/out-windows/$name"
done

echo "Linux und Windows (Wine) im Vergleich, Ordner \"Intensiv Übergabe\":"
for name in $( (ls "$work/out-linux"; ls "$work/out-windows") | sort -u); do
  if cmp -s "$work/out-linux/$name" "$work/out-windows/$name"; then
    printf '  gleich:     %s\n' "$name"
  else
    printf '  VERSCHIEDEN: %s\n' "$name"
    diff <(cat -v "$work/out-linux/$name") <(cat -v "$work/out-windows/$name") | head -20
    status=1
  fi
done
[ -s "$work/out-linux/import.txt" ] || { echo "keine Ergebnistabelle"; status=1; }
exit $status

#!/usr/bin/env bash
# Installs the build into a scratch prefix, moves the installation elsewhere and runs the installed
# batch tool through setup, generate, import, classify, export and check with the source tree and
# the build folder hidden, so that nothing can come from either.
# Then no file or folder the tool made may be open to others, though it ran with umask 022.
#   install-test.sh BUILD-FOLDER SOURCE-FOLDER
set -euo pipefail

if [ "${1:-}" = "--scenario" ]; then
  # Inside a private mount namespace: hide the given folders, then run the tool from the moved prefix.
  shift
  prefix=$1
  inst=$2
  shift 2
  for folder in "$@"; do
    if [ -d "$folder" ]; then
      mount -t tmpfs -o size=1m,mode=0700 kalmora-hidden "$folder"
    fi
  done
  for folder in "$@"; do
    if [ -n "$(ls -A -- "$folder" 2>/dev/null)" ]; then
      echo "FAIL: $folder is still visible" >&2
      exit 1
    fi
  done

  cli=$prefix/bin/kalmora-cli
  ini=$inst/Kalmora11_0.ini
  umask 022
  step() {
    echo "+ kalmora-cli $*" >&2
    "$cli" "$@"
  }
  step setup "$inst" >/dev/null
  file=$(step generate "$inst/import" --hospital K001 --department 125101 --stays 60 --seed 7 --year 2024 | tail -n 1)
  step --ini "$ini" import "$file" >/dev/null
  step --ini "$ini" department K001/12510101 --dgkp 18,4 --beds 8 >/dev/null
  classification=$(step --ini "$ini" classify --from 01.01.2024 --to 31.12.2024)
  step --ini "$ini" export >/dev/null
  step --ini "$ini" check >/dev/null
  # The department list names the department from the shipped reference lists.
  name=$(grep '^125101;' "$prefix/share/kalmora/reference/departments.csv" | cut -d ';' -f 2)
  departments=$(step --ini "$ini" departments)
  if [ -z "$name" ] || ! grep -qF "$name" <<<"$departments"; then
    echo "FAIL: the shipped reference lists were not loaded by setup" >&2
    exit 1
  fi
  if [ "$(wc -l <<<"$classification")" -lt 2 ]; then
    echo "FAIL: classify printed no department" >&2
    exit 1
  fi
  [ -f "$inst/export/gesamt.mdb" ] || { echo "FAIL: export wrote no gesamt.mdb" >&2; exit 1; }
  exit 0
fi

if [ $# -lt 2 ]; then
  echo "usage: install-test.sh BUILD-FOLDER SOURCE-FOLDER" >&2
  exit 2
fi
build=$(cd -- "$1" && pwd -P)
source=$(cd -- "$2" && pwd -P)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The scratch folder must lie outside what is hidden.
scratch_parent=${TMPDIR:-/tmp}
case "$(cd -- "$scratch_parent" && pwd -P)/" in
  "$build"/* | "$source"/*) scratch_parent=/tmp ;;
esac
scratch=$(mktemp -d "$scratch_parent/kalmora-install-XXXXXX")
trap 'rm -rf -- "$scratch"' EXIT

cmake --install "$build" --prefix "$scratch/first" >/dev/null
prefix=$scratch/moved/prefix
mkdir -p "$scratch/moved"
mv -- "$scratch/first" "$prefix"

# What the installation holds, in the places of the system's layout.
gui=0
[ -x "$build/src/kalmora" ] && gui=1
expected=(
  bin/kalmora-cli
  share/kalmora/reference/hospitals.csv
  share/kalmora/reference/departments.csv
  share/man/man1/kalmora-cli.1.gz
  share/doc/kalmora/copyright
  share/doc/kalmora/changelog.gz
)
if [ "$gui" -eq 1 ]; then
  expected+=(
    bin/kalmora
    share/kalmora/translations/qtbase_de.qm
    share/man/man1/kalmora.1.gz
    share/applications/kalmora.desktop
    share/icons/hicolor/scalable/apps/kalmora.svg
    share/metainfo/invalid.kalmora.Kalmora.metainfo.xml
  )
fi
for file in "${expected[@]}"; do
  [ -s "$prefix/$file" ] || fail "the installation lacks $file"
done
# The batch tool's page is made from its help: every command of the help has its entry.
page=$(gzip -dc "$prefix/share/man/man1/kalmora-cli.1.gz")
for command in setup import classify export check; do
  grep -q "^\\\\fB$command\\\\fR" <<<"$page" || fail "kalmora-cli(1) does not describe $command"
done

# Nothing points back into the source tree or the build folder.
for program in "$prefix"/bin/*; do
  if strings -a "$program" | grep -qF -e "$source/data" -e "$build/share"; then
    fail "$program has the source tree's or build folder's data path compiled in"
  fi
  if readelf -d "$program" | grep -E 'RPATH|RUNPATH' | grep -qF -e "$source" -e "$build"; then
    fail "$program loads libraries from the source tree or the build folder"
  fi
  if ldd "$program" | grep -qF -e "$source" -e "$build"; then
    fail "$program resolves a library in the source tree or the build folder"
  fi
done

# Run with the source tree and the build folder hidden where a private mount namespace is possible.
# The scenario runs from a copy of this script, which lies in the hidden source tree.
inst=$scratch/inst
cp -- "${BASH_SOURCE[0]}" "$scratch/scenario.sh"
cd "$scratch"
hidden=("$build" "$source")
if [ "$(id -u)" -eq 0 ] && unshare -m true 2>/dev/null; then
  unshare -m bash "$scratch/scenario.sh" --scenario "$prefix" "$inst" "${hidden[@]}"
elif unshare -rm true 2>/dev/null; then
  unshare -rm bash "$scratch/scenario.sh" --scenario "$prefix" "$inst" "${hidden[@]}"
else
  echo "note: no private mount namespace here; the source tree and the build folder stay visible"
  bash "$scratch/scenario.sh" --scenario "$prefix" "$inst"
fi

open=$(find "$inst" -perm /o=rwx -printf '%m %p\n')
[ -z "$open" ] || fail "open to others:"$'\n'"$open"
echo "ok: installed, moved and run without the source tree and the build folder"

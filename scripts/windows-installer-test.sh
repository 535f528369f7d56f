#!/usr/bin/env bash
# Tries Kalmora's setup program under Wine, silently: per machine (and once more over that
# installation), per user, and into a folder with a blank and an umlaut, each followed by its
# uninstaller. Checks the files, the start-menu entries and the uninstall key, and that the
# uninstaller takes exactly those away and leaves a user's settings and the data kept in the program
# folder. The Wine prefix is the caller's WINEPREFIX; only C: paths are looked at.
# Usage: scripts/windows-installer-test.sh SETUP_EXE EXPECTED
#   EXPECTED: the deployed folder, or a list of its files (one relative path a line)
set -euo pipefail

fail() {
  echo "FEHLER: $*" >&2
  exit 1
}

[ $# -eq 2 ] || fail "Aufruf: scripts/windows-installer-test.sh <setup.exe> <Liste der Dateien oder bereitgestellter Ordner>"
[ -n "${WINEPREFIX:-}" ] || fail "WINEPREFIX ist nicht gesetzt."
[ -f "$1" ] || fail "Das Installationsprogramm $1 fehlt."
setup=$(realpath "$1")
if [ -d "$2" ]; then
  mapfile -t expected < <(cd "$2" && find . -type f -printf '%P\n' | LC_ALL=C sort)
elif [ -f "$2" ]; then
  mapfile -t expected < <(sed 's/\r$//; s:\\:/:g; /^$/d' "$2")
else
  fail "$2 ist weder Ordner noch Liste."
fi
[ ${#expected[@]} -gt 0 ] || fail "Die Liste der erwarteten Dateien ist leer."
version=
[[ $(basename "$setup") =~ ^kalmora-(.+)-setup\.exe$ ]] && version=${BASH_REMATCH[1]}

wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# UTF-8, so that the umlaut of a folder reaches Wine unchanged.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Kalmora'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "Lege das Wine-Präfix $WINEPREFIX an …"
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
fi
unix() {
  local p=${1#[Cc]:}
  printf '%s' "$WINEPREFIX/drive_c${p//\\//}"
}
winpath() { printf 'Z:%s' "${1//\//\\}"; }

mapfile -t env < <("$wine" cmd /c 'echo %ProgramFiles%& echo %LOCALAPPDATA%& echo %APPDATA%& echo %ProgramData%' | tr -d '\r')
[ ${#env[@]} -eq 4 ] || fail "Wine nennt seine Ordner nicht (cmd /c echo)."
programs_all="${env[3]}\\Microsoft\\Windows\\Start Menu\\Programs\\Kalmora"
programs_user="${env[2]}\\Microsoft\\Windows\\Start Menu\\Programs\\Kalmora"
settings="${env[2]}\\kalmora\\Kalmora11_0.ini"
odd_parent='C:\Klinik Ü'
odd_folder="$odd_parent\\Kalmora"

# The uninstall key of ROOT into $work/key.txt as "name"=value lines; fails where there is none.
read_key() {
  rm -f "$work/key.reg"
  "$wine" reg export "$1\\$key" "$(winpath "$work/key.reg")" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$work/key.reg" | tr -d '\r' >"$work/key.txt"
}
value() {
  local line
  line=$(grep -m1 "^\"$1\"=" "$work/key.txt") || return 0
  line=${line#*=}
  case $line in
    dword:*) echo $((16#${line#dword:})) ;;
    \"*\")
      line=${line:1:-1}
      line=${line//\\\"/\"}
      echo "${line//\\\\/\\}"
      ;;
    *) echo "$line" ;;
  esac
}

# Leftovers of a broken earlier run would make every check below meaningless.
for root in HKLM:system HKCU:user; do
  if grep -qF 'Uninstall\\Kalmora]' "$WINEPREFIX/${root#*:}.reg" 2>/dev/null; then
    "$wine" reg delete "${root%:*}\\$key" /f >/dev/null 2>&1 || true
  fi
done
for dir in "${env[0]}\\Kalmora" "${env[1]}\\Programs\\Kalmora" "$odd_folder" "$programs_all" "$programs_user"; do
  rm -rf "$(unix "$dir")"
done
rmdir "$(unix "$odd_parent")" 2>/dev/null || true
rm -f "$(unix "$settings")"
rmdir "$(dirname "$(unix "$settings")")" 2>/dev/null || true

# The links of a start-menu folder and what each must point at.
links=("Kalmora.lnk:kalmora.exe" "Kalmora-Handbuch.lnk:handbuch.html" "Kalmora deinstallieren.lnk:uninstall.exe")
for f in "${expected[@]}"; do
  [ "$f" != share/doc/kalmora/handbuch.pdf ] || links+=("Kalmora-Handbuch (PDF).lnk:handbuch.pdf")
done

# install ROOT FOLDER START_MENU ARGUMENTS...: runs the setup program, checks what it left.
install() {
  "$wine" "$setup" /S "${@:4}" || fail "Das Installationsprogramm (${*:4}) endete mit $?."
  installed "$1" "$2" "$3"
}

# installed ROOT FOLDER START_MENU: the files, links and uninstall key of an installation.
installed() {
  local root=$1 folder=$2 menu=$3 dir
  dir=$(unix "$folder")
  local f bytes=0 kb=0 size
  for f in "${expected[@]}" uninstall.exe; do
    [ -f "$dir/$f" ] || fail "$folder: $f fehlt."
  done
  for f in "${expected[@]}"; do
    size=$(stat -c %s "$dir/$f")
    bytes=$((bytes + size))
    kb=$((kb + (size + 1023) / 1024))
  done
  local link
  for link in "${links[@]}"; do
    [ -f "$(unix "$menu")/${link%%:*}" ] || fail "Startmenü: ${link%%:*} fehlt in $menu."
    grep -qaF "${link#*:}" "$(unix "$menu")/${link%%:*}" || fail "Startmenü: ${link%%:*} zeigt nicht auf ${link#*:}."
  done

  read_key "$root" || fail "Der Schlüssel $root\\$key fehlt."
  local check name want got
  for check in "DisplayName=Kalmora" "Publisher=Kalmora" "InstallLocation=$folder" \
    "DisplayIcon=$folder\\bin\\kalmora.exe" "UninstallString=\"$folder\\uninstall.exe\"" \
    "QuietUninstallString=\"$folder\\uninstall.exe\" /S" "NoModify=1" "NoRepair=1"; do
    name=${check%%=*}
    want=${check#*=}
    got=$(value "$name")
    [ "$got" = "$want" ] || fail "$root\\$key: $name ist \"$got\", erwartet \"$want\"."
  done
  got=$(value DisplayVersion)
  [ -n "$got" ] || fail "$root\\$key: DisplayVersion fehlt."
  [ -z "$version" ] || [ "$got" = "$version" ] || fail "$root\\$key: DisplayVersion ist $got, erwartet $version."
  # makensis counts each packed file in whole KB.
  got=$(value EstimatedSize)
  if ! [[ $got =~ ^[0-9]+$ && $got -ge $((bytes / 1024)) && $got -le $kb && $got -gt 0 ]]; then
    fail "$root\\$key: EstimatedSize ist \"$got\", erwartet $((bytes / 1024)) bis $kb KB."
  fi
}

# uninstall ROOT FOLDER START_MENU KEPT...: runs the folder's uninstaller silently; afterwards only
# the KEPT files (Windows paths) may remain of the folder.
uninstall() {
  local root=$1 folder=$2 menu=$3
  shift 3
  # The uninstaller copies itself to a temporary folder, starts that copy and returns at once.
  "$wine" "$folder\\uninstall.exe" /S || fail "Das Deinstallationsprogramm in $folder endete mit $?."
  "$wineserver" -w
  local dir f left
  dir=$(unix "$folder")
  for f in "${expected[@]}" uninstall.exe; do
    [ ! -e "$dir/$f" ] || fail "$folder: $f ist nach der Deinstallation noch da."
  done
  for f in "$@"; do
    [ -f "$(unix "$f")" ] || fail "Die Deinstallation hat die Daten des Benutzers $f gelöscht."
  done
  # Of the program folder, the user's files alone remain, or nothing at all.
  local kept=()
  for f in "$@"; do
    if [[ $f == "$folder\\"* ]]; then
      f=${f#"$folder\\"}
      kept+=("${f//\\//}")
    fi
  done
  if [ ${#kept[@]} -eq 0 ]; then
    [ ! -e "$dir" ] || fail "$folder ist nach der Deinstallation noch da."
  else
    left=$(cd "$dir" && find . -type f -printf '%P\n' | LC_ALL=C sort)
    [ "$left" = "$(printf '%s\n' "${kept[@]}" | LC_ALL=C sort)" ] ||
      fail "$folder: nach der Deinstallation bleiben $(echo "$left" | tr '\n' ' ')"
  fi
  [ ! -e "$(unix "$menu")" ] || fail "Startmenü: $menu ist nach der Deinstallation noch da."
  ! read_key "$root" || fail "Der Schlüssel $root\\$key ist nach der Deinstallation noch da."
}

put() {
  mkdir -p "$(dirname "$(unix "$1")")"
  echo "$2" >"$(unix "$1")"
}

echo "Installation für alle Benutzer nach ${env[0]}\\Kalmora …"
folder="${env[0]}\\Kalmora"
install HKLM "$folder" "$programs_all"
echo "Daten des Benutzers: Einstellungen und Dateien im Programmordner …"
user_data=("$settings" "$folder\\Daten\\system.mdb" "$folder\\bin\\Station.ini")
put "$settings" "[Pfade]"
put "$folder\\Daten\\system.mdb" "Stationsdaten"
put "$folder\\bin\\Station.ini" "[Station]"
echo "Erneute Installation über die vorhandene …"
install HKLM "$folder" "$programs_all"
for f in "${user_data[@]}"; do
  [ -f "$(unix "$f")" ] || fail "Die erneute Installation hat $f gelöscht."
done

echo "Deinstallation, während Kalmora läuft: muss ablehnen und alles lassen …"
# cmd holds the program file open (appending nothing) until its input ends, as a running Kalmora
# holds it.
exe=$(unix "$folder\\bin\\kalmora.exe")
mkfifo "$work/input"
(cd "$(dirname "$exe")" && exec "$wine" cmd /c 'set /p x= 2>>kalmora.exe' <"$work/input" >/dev/null) &
holder=$!
exec 3>"$work/input"
for ((i = 0; ; i++)); do
  [ -z "$(find /proc/[0-9]*/fd -lname "$exe" -print -quit 2>/dev/null)" ] || break
  [ $i -lt 100 ] || fail "cmd hält kalmora.exe nicht offen."
  sleep 0.1
done
# _?= makes the uninstaller run in place and wait, so that its exit status is seen.
read -ra words <<<"_?=$folder"
status=0
"$wine" "$folder\\uninstall.exe" /S "${words[@]}" || status=$?
exec 3>&-
wait "$holder" || true
[ $status -eq 2 ] || fail "Das Deinstallationsprogramm endete mit $status statt 2, während Kalmora lief."
installed HKLM "$folder" "$programs_all"

# A user's own installation beside the one for all: each uninstaller keeps to its own.
echo "Installation nur für den Benutzer (/CurrentUser) …"
user_folder="${env[1]}\\Programs\\Kalmora"
install HKCU "$user_folder" "$programs_user" /CurrentUser
echo "Deinstallation der Installation des Benutzers …"
uninstall HKCU "$user_folder" "$programs_user"
installed HKLM "$folder" "$programs_all"

echo "Deinstallation der Installation für alle Benutzer …"
uninstall HKLM "$folder" "$programs_all" "${user_data[@]}"
rm -rf "$(unix "$folder")" "$(unix "$settings")"
rmdir "$(dirname "$(unix "$settings")")"

echo "Installation nach $odd_folder (/D=) …"
# Wine quotes an argument with a blank, and NSIS reads /D= only unquoted: the words go singly.
read -ra words <<<"/D=$odd_folder"
install HKLM "$odd_folder" "$programs_all" "${words[@]}"
echo "Deinstallation …"
uninstall HKLM "$odd_folder" "$programs_all"
rmdir "$(unix "$odd_parent")"

echo "Das Installationsprogramm hat alle Prüfungen bestanden."

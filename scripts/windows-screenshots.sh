#!/usr/bin/env bash
# Photographs the installed Windows program under Wine:
#   scripts/windows-screenshots.sh SETUP.EXE FOLDER
# Installs SETUP.EXE silently into the Wine prefix WINEPREFIX, sets up the demo of scripts/demo.sh with
# the installed batch tool in a folder whose name has an umlaut, starts the installed kalmora.exe on
# it ("/i:" with that name) on Wine's virtual desktop on a virtual X display, and takes pictures of
# the main window, the import dialog and the classification result: FOLDER/hauptfenster.png,
# FOLDER/import.png, FOLDER/einstufung.png. Leaves the program installed.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "Aufruf: scripts/windows-screenshots.sh SETUP.EXE ORDNER" >&2
  exit 1
fi
setup=$(realpath "$1")
shots=$(realpath -m "$2")
: "${WINEPREFIX:?WINEPREFIX ist nicht gesetzt}"
export WINEDEBUG=-all
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
# Wine's drive Z: is the Linux root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

fail() {
  echo "scripts/windows-screenshots.sh: $*" >&2
  exit 1
}

"$wine" "$setup" /S
"$wineserver" -w
program="$WINEPREFIX/drive_c/Program Files/Kalmora/bin"
[ -f "$program/kalmora.exe" ] || fail "kalmora.exe wurde nicht installiert."

work=$(dirname "$shots")/screenshot-work
rm -rf "$work" "$shots"
mkdir -p "$work" "$shots"

# The installed batch tool as scripts/demo.sh calls it: full Linux paths become Wine's Z: paths.
cli=$work/kalmora-cli
cat >"$cli" <<EOF
#!/usr/bin/env bash
arguments=()
for argument in "\$@"; do
  if [[ \$argument == /* ]]; then arguments+=("Z:\${argument//\//\\\\}"); else arguments+=("\$argument"); fi
done
exec "$wine" "$program/kalmora-cli.exe" "\${arguments[@]}"
EOF
chmod +x "$cli"
demo="$work/Intensivstation Süd"
bash scripts/demo.sh "$cli" "$demo" >/dev/null

# Wine's own virtual desktop on a virtual display: a bare X display without a window manager leaves
# a maximised window half drawn.
display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1400x900x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  "$wineserver" -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=$display
sleep 2

"$wine" explorer /desktop=Kalmora,1350x850 'C:\Program Files\Kalmora\bin\kalmora.exe' \
  "/i:$(windows_path "$demo/Kalmora11_0.ini")" >/dev/null 2>&1 &
program_pid=$!

desktop=""
for _ in $(seq 60); do
  desktop=$(xdotool search --name 'Kalmora - Wine' 2>/dev/null | head -1) && [ -n "$desktop" ] && break
  sleep 1
done
[ -n "$desktop" ] || fail "Wines virtueller Bildschirm erschien nicht."

# A picture of a few colours only is an empty desktop: the program did not show its window.
shoot() {
  sleep "$2"
  import -window "$desktop" "$shots/$1.png"
  local colours
  colours=$(identify -format '%k' "$shots/$1.png")
  [ "$colours" -ge 64 ] || fail "$shots/$1.png zeigt kein Fenster ($colours Farben)."
}
keys() {
  xdotool windowfocus --sync "$desktop" 2>/dev/null || true
  for key in "$@"; do
    xdotool key --clearmodifiers "$key"
    sleep 0.5
  done
}

shoot hauptfenster 10
keys alt+d i
shoot import 4
keys Escape
sleep 2
keys alt+e e
sleep 3
keys Return
shoot einstufung 10
echo "Bildschirmfotos: $shots (hauptfenster.png, import.png, einstufung.png)"

#!/usr/bin/env bash
# Renders the handbook: docs/handbuch/*.md (in name order) into BUILD/docs/handbuch.html, one page
# with its pictures embedded, and BUILD/docs/handbuch.pdf from that page.
#   scripts/docs.sh BUILD
# The pictures come from BUILD/screenshots (make screenshots); a picture the text names that is not
# there stops the run, so no stale or hand-made picture can slip in.
set -euo pipefail

build=${1:?Aufruf: scripts/docs.sh BUILD}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
handbook="$source_dir/docs/handbuch"
out="$build/docs"

bash "$source_dir/scripts/install-deps.sh" --docs

missing=0
for picture in $(grep -oh 'screenshots/[A-Za-z0-9_]*\.png' "$handbook"/*.md | sort -u); do
  if [ ! -f "$build/$picture" ]; then
    echo "docs: $build/$picture fehlt (make screenshots schreibt es nicht)." >&2
    missing=1
  fi
done
[ "$missing" -eq 0 ] || exit 2

version=$("$build/src/kalmora-cli" --version | head -n 1 | sed 's/^kalmora-cli //')
mkdir -p "$out"
# --self-contained embeds pictures and style, so the page can be copied or installed on its own.
pandoc --from markdown --to html5 --standalone --self-contained --toc --toc-depth=2 \
  --number-sections --resource-path="$build:$handbook" \
  --css "$handbook/handbuch.css" \
  --metadata title="Kalmora – Benutzerhandbuch" --metadata subtitle="Version $version" \
  --metadata lang=de --metadata toc-title=Inhalt \
  --output "$out/handbuch.html" "$handbook"/[0-9]*.md
weasyprint --quiet "$out/handbuch.html" "$out/handbuch.pdf"
echo "$out/handbuch.html"
echo "$out/handbuch.pdf"

#!/usr/bin/env bash
# Regenerates GFX/font.pcx from DejaVu Sans Mono Bold (or the TrueType font given).
#   tools/mkfont/mkfont.sh [font.ttf]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
mapfile -t wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/packages.txt" | grep -v '^$')
missing=()
for p in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++17 -O2 -Wall -Wextra -I"$top/tools/picture" -o "$tmp/mkfont" "$here/mkfont.cpp" \
  "$top/tools/picture/picture_writer.cpp" $(pkg-config --cflags --libs freetype2 libpng)
"$tmp/mkfont" "${1:-/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf}" "$top/GFX/font.pcx"

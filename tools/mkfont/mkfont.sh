#!/usr/bin/env bash
# Regenerates GFX/font.pcx from DejaVu Sans Mono Bold (or the TrueType font given).
#   tools/mkfont/mkfont.sh [font.ttf]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
"$top/tools/deps.sh" gen:font
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
g++ -std=c++17 -O2 -Wall -Wextra -I"$top/tools/picture" -o "$tmp/mkfont" "$here/mkfont.cpp" \
  "$top/tools/picture/picture_writer.cpp" $(pkg-config --cflags --libs freetype2 libpng)
"$tmp/mkfont" "${1:-/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf}" "$top/GFX/font.pcx"

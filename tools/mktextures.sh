#!/usr/bin/env bash
# Rebuilds the pictures under TEXTURES/ (sky box faces and the ground texture).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/deps.sh" gen:textures
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
c++ -O2 -std=c++17 -I"$top/tools/picture" -o "$tmp/mktextures" "$top/tools/mktextures.cpp" \
  "$top/tools/picture/picture_writer.cpp" $(pkg-config --cflags --libs libpng)
"$tmp/mktextures" "$top/TEXTURES"

#!/usr/bin/env bash
# Rebuilds the pictures under TEXTURES/ (sky box faces and the ground texture).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
c++ -O2 -std=c++17 -o "$tmp/mktextures" "$top/tools/mktextures.cpp"
"$tmp/mktextures" "$top/TEXTURES"

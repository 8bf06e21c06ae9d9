#!/usr/bin/env bash
# Captures each effect headless with mirvo-play and makes the README's pictures:
# docs/plugins/{wavetext,bouncetext,boxflood}.gif (320x240, every second frame).
#   player/make_pictures.sh BUILD_DIR     (or: cmake --build BUILD_DIR --target pictures)
set -euo pipefail
build=$(cd "${1:?usage: make_pictures.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
out="$here/../docs/plugins"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$here"   # the default font is ../GFX/font.pcx

# name first-frame last-frame effect words...
shoot() {
  local name=$1 first=$2 last=$3
  shift 3
  MIRVO_FRAMES=$last MIRVO_NOWAIT=1 MIRVO_CAPTURE="$work/$name" \
    "$build/bin/mirvo-play" --headless "$@" >/dev/null
  local frames=()
  for ((k = first; k <= last; k += 2)); do frames+=("$(printf '%s/%s/frame-%06d.png' "$work" "$name" "$k")"); done
  convert -delay 4 -loop 0 "${frames[@]}" -resize 320x240 -layers Optimize "$out/$name.gif"
  echo "$out/$name.gif: $(du -k "$out/$name.gif" | cut -f1) kB"
}

shoot wavetext 200 300 wavetext
shoot bouncetext 150 250 bouncetext
# An orange box grows from the centre over the black window (80 frames at rate 4), then a
# blue one grows over the orange.
shoot boxflood 2 160 boxflood 1 4 255 160 0 + boxflood 1 4 0 96 200

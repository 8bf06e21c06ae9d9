#!/usr/bin/env bash
# Captures the player's frames that must be the same on every Debian release: 200 frames of
# `mirvo-play --headless boxflood` and of `mirvo-play --headless -b 8 wavetext`, unpaced, as
# OUT/boxflood/frame-*.png and OUT/wavetext-b8/frame-*.png. tools/ci-trixie.sh compares them.
#   tools/player-frames.sh BUILD-DIR OUT
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
[ $# -eq 2 ] || { echo "usage: tools/player-frames.sh BUILD-DIR OUT" >&2; exit 2; }
player=$(cd "$1" && pwd)/bin/mirvo-play
out=$(mkdir -p "$2" && cd "$2" && pwd)
frames=200
cd "$top/player"  # the default font is ../GFX/font.pcx
capture() {  # capture NAME ARGS...
  local name=$1
  shift
  rm -rf "${out:?}/$name"
  MIRVO_FRAMES=$frames MIRVO_NOWAIT=1 MIRVO_CAPTURE="$out/$name" "$player" --headless "$@" >/dev/null
  local n
  n=$(ls "$out/$name" | grep -c '^frame-.*\.png$' || true)
  [ "$n" -eq "$frames" ] || { echo "player-frames: $name: $n frames, not $frames" >&2; exit 1; }
}
capture boxflood boxflood
capture wavetext-b8 -b 8 wavetext
echo "player-frames: $frames frames each of boxflood and -b 8 wavetext in $out"

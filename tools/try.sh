#!/usr/bin/env bash
# The main command: installs what is missing, builds rasterwave (in build/) and runs it
# from rasterwave/, the folder its "../GFX/font.pcx" expects.
#
#   With a display ($DISPLAY set): in a window, until Escape or the window is closed.
#   Without one (or with --headless): on SDL's dummy video driver for 500 frames (about
#   ten seconds at 50 frames per second), every frame captured; then it writes an
#   animated GIF (every 2nd frame, palette-optimised) and one still PNG, and prints
#   both paths.
#
#   tools/try.sh [--headless] [--out DIR] [--build DIR]    (defaults: out/, build/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
headless=0
out="$top/out"
build="$top/build"
while [ $# -gt 0 ]; do
  case "$1" in
    --headless) headless=1 ;;
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    --build) build=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    *) echo "usage: tools/try.sh [--headless] [--out DIR] [--build DIR]" >&2; exit 2 ;;
  esac
  shift
done
[ -n "${DISPLAY:-}" ] || headless=1

# Only what building and running rasterwave needs. A fresh build folder is configured for the
# effects alone; one that exists (tools/test.sh's) keeps its settings.
"$top/tools/deps.sh" build:effects run:effects
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$top" -B "$build" >/dev/null
else
  cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRVO_BUILD_KORA=OFF \
    -DMIRVO_BUILD_FREI0R=OFF -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target rasterwave -j "$(nproc)" >/dev/null
program="$build/bin/rasterwave"

cd "$top/rasterwave"
if [ "$headless" -eq 0 ]; then
  echo "rasterwave: running in a window; press Escape to quit"
  exec "$program"
fi

frames="$out/rasterwave-frames"
rm -rf "$frames"
mkdir -p "$frames"
echo "rasterwave: no display, running headless for 500 frames (about 10 s)"
SDL_VIDEODRIVER=dummy MIRVO_FRAMES=500 MIRVO_CAPTURE="$frames" "$program"

gif="$out/rasterwave.gif"
still="$out/rasterwave.png"
# Frame 230: " MIRVO" sits twisted round the bar during the first pause.
cp "$frames/frame-000230.png" "$still"
ffmpeg -loglevel error -y -framerate 50 -i "$frames/frame-%06d.png" \
  -filter_complex "[0:v]select='not(mod(n\,2))',setpts=N/25/TB,split[a][b];[a]palettegen=max_colors=16:reserve_transparent=0[p];[b][p]paletteuse=dither=none" \
  -r 25 "$gif"
rm -rf "$frames"
echo "animation: $gif"
echo "still:     $still"

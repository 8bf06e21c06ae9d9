#!/usr/bin/env bash
# Remakes the README's pictures.
#   tools/mkpicture.sh [--build DIR]   docs/rasterwave.gif: a headless run of rasterwave through
#                                      tools/try.sh, cut down to the band the strip moves in
#                                      (screen rows 100 to 289)
#   tools/mkpicture.sh --kora          docs/kora-demo-*.png: kora-demo's own captures under
#                                      Xvfb, by the commands docs/kora.md shows (they run
#                                      build/bin/kora-demo from demo/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--kora" ]; then
  commands=$("$top/tools/doc-block.sh" "$top/docs/kora.md" kora-pictures)
  (cd "$top/demo" && bash -euo pipefail -c "$commands" >/dev/null)
  ls -l "$top"/docs/kora-demo-*.png
  exit 0
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$top/tools/try.sh" --headless --out "$tmp" "$@" >/dev/null
mkdir -p "$top/docs"
ffmpeg -loglevel error -y -i "$tmp/rasterwave.gif" \
  -filter_complex "[0:v]crop=480:190:0:100,split[a][b];[a]palettegen=max_colors=16:reserve_transparent=0[p];[b][p]paletteuse=dither=none" \
  "$top/docs/rasterwave.gif"
ls -l "$top/docs/rasterwave.gif"

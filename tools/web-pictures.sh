#!/usr/bin/env bash
# Remakes the pictures of the page in docs/web.md: the page built by tools/web.sh, a chain of
# the three effects, in windows 360, 1280 and 2560 pixels wide (headless Chromium through
# web/browser.py). docs/web.png is the 1280 one, which the README shows too.
#   tools/web-pictures.sh [BUILD_DIR]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$(realpath -m "${1:-$top/build-web}")
"$top/tools/web.sh" "$dir" >/dev/null
chain='wavetext text="HELLO WORLD" amplitude=80 + boxflood + bouncetext'
for size in 360x740 1280x720 2560x1440; do
  width=${size%x*}
  out="$top/docs/web-$width.png"
  [ "$width" = 1280 ] && out="$top/docs/web.png"
  "$top/web/browser.py" "$dir" screenshot "$out" --size "$size" "$chain"
  echo "web-pictures: $out"
done

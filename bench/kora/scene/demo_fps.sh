#!/usr/bin/env bash
# Frame rate of kora-demo on Mesa's software renderer, headless under Xvfb: a counted run at
# each window size (the demo reports frames, seconds and frames per second on exit).
#   bench/kora/scene/demo_fps.sh [build dir] [frames]
set -euo pipefail
top=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
frames=${2:-300}
cd "$top/demo"
for size in 640x480 800x600 1024x768; do
  printf '%-9s ' "$size"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/bin/kora-demo" --size "$size" --frames "$frames"
done

#!/usr/bin/env bash
# The page's frame rate in headless Chromium: frames its main loop draws per second of the
# page's own clock (performance.now) over SECONDS, for rasterwave and for the effects,
# ROUNDS runs each (a fresh browser every run), with the median; what one frame costs the
# page (drawn and put on its canvas, 500 frames stepped); and the size of what the page
# loads (mirvo-web.js + mirvo-web.wasm). The page aims at 50 frames per second.
#   bench/web/fps.sh [ROUNDS [SECONDS]]      (default 5 rounds of 10 s)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
rounds=${1:-5} seconds=${2:-10}
site="$top/build-web"
"$top/tools/web.sh" "$site" >/dev/null
js=$(stat -c %s "$site/mirvo-web.js") wasm=$(stat -c %s "$site/mirvo-web.wasm")
echo "size: mirvo-web.js $js + mirvo-web.wasm $wasm = $((js + wasm)) bytes ($(( (js + wasm + 1023) / 1024 )) KiB)"
for program in "rasterwave" "wavetext" "bouncetext" "wavetext + boxflood + bouncetext"; do
  rates=()
  for ((i = 0; i < rounds; i++)); do
    rates+=("$("$top/web/browser.py" "$site" rate "$seconds" $program)")
  done
  median=$(printf '%s\n' "${rates[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
  cost=$("$top/web/browser.py" "$site" cost 500 $program)
  printf '%-34s median %6.2f frames/s over %s s (runs: %s); %s ms a frame\n' "$program" "$median" \
         "$seconds" "${rates[*]}" "$cost"
done

#!/usr/bin/env bash
# kora-demo's page against the native kora-demo, in one run on one machine and on the same
# rasteriser: the page's frames per second at 800 x 600 in headless Chromium over SECONDS,
# WebGL drawn by ANGLE on the system's OpenGL under Xvfb (Mesa's llvmpipe; the renderer WebGL
# reports is printed), and the native demo's over 300 counted frames at 800 x 600 under Xvfb
# (llvmpipe), taking turns ROUNDS times (a fresh browser, so a cold load, every round), with
# the medians and their ratio; and from each cold load of the page, the time to its first
# frame and the bytes it transferred (program, script, page and gzipped textures).
#   bench/web/kora_fps.sh BUILD [ROUNDS [SECONDS]]     (default 3 rounds of 10 s)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath "${1:?usage: bench/web/kora_fps.sh BUILD [ROUNDS [SECONDS]]}")
rounds=${2:-3} seconds=${3:-10}
site="$top/build-web"
"$top/tools/web.sh" "$site" >/dev/null
median() {
  sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
field() { python3 -c 'import json, sys; print(json.loads(sys.argv[1])[sys.argv[2]])' "$1" "$2"; }
pages=() natives=() firsts=() bytes=() renderer=
for ((i = 0; i < rounds; i++)); do
  m=$(xvfb-run -a "$top/web/kora/kora_browser.py" "$site" measure "$seconds")
  renderer=$(field "$m" renderer)
  pages+=("$(field "$m" fps)") firsts+=("$(field "$m" first_frame_ms)")
  bytes+=("$(field "$m" bytes)")
  natives+=("$(cd "$top/demo" && xvfb-run -a "$build/bin/kora-demo" --size 800x600 --frames 300 |
               sed -n 's/.*, \([0-9.]*\) frames per second/\1/p')")
done
page=$(printf '%s\n' "${pages[@]}" | median)
native=$(printf '%s\n' "${natives[@]}" | median)
printf 'page WebGL renderer: %s\n' "$renderer"
printf 'page   %6.2f frames/s (runs: %s)\n' "$page" "${pages[*]}"
printf 'native %6.2f frames/s (runs: %s)\n' "$native" "${natives[*]}"
awk -v p="$page" -v n="$native" 'BEGIN { printf "page / native: %.2f\n", p / n }'
printf 'first frame after a cold load: median %s ms (runs: %s)\n' \
       "$(printf '%s\n' "${firsts[@]}" | median)" "${firsts[*]}"
printf 'transferred: %s bytes (runs: %s)\n' "$(printf '%s\n' "${bytes[@]}" | median)" "${bytes[*]}"

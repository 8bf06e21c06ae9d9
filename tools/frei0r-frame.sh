#!/usr/bin/env bash
# Renders one frame of the wavetext frei0r source through ffmpeg into OUT.png, with the frei0r
# modules ffmpeg finds (FREI0R_PATH, else the system's folders). Fails when ffmpeg or the module
# says anything: a module that cannot load its font or libraries still hands over a frame.
#   tools/frei0r-frame.sh OUT.png
set -euo pipefail
out=${1:?usage: frei0r-frame.sh OUT.png}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
ffmpeg -hide_banner -loglevel error -y -f lavfi \
  -i "frei0r_src=size=320x240:framerate=25:filter_name=wavetext:filter_params=HELLO|||16|32|80|2" \
  -frames:v 1 "$out" > "$log" 2>&1 || true
if [ -s "$log" ] || [ ! -s "$out" ]; then
  echo "frei0r-frame: no clean frame from the wavetext module:" >&2
  cat "$log" >&2
  exit 1
fi

#!/usr/bin/env bash
# ffmpeg's frames per second rendering wavetext (and bouncetext) through the frei0r
# modules to the null muxer, against ffmpeg's own colour source (the peer) in the same
# run. Both wall-clock and CPU-time rates are given: on a shared machine the CPU-time
# rate is the one that does not depend on the other load.
#   bench/plugins/ffmpeg_fps.sh BUILD_DIR [FRAMES]
set -euo pipefail
build=$(cd "${1:?usage: ffmpeg_fps.sh BUILD_DIR [FRAMES]}" && pwd)
frames=${2:-5000}
here=$(cd "$(dirname "$0")" && pwd)
export FREI0R_PATH="$build/frei0r-1"
cd "$here/../../player"   # the default font is ../GFX/font.pcx

# input graph -> "wall-fps cpu-fps", from ffmpeg's own -benchmark line
rates() {
  ffmpeg -hide_banner -nostats -loglevel info -benchmark -f lavfi -i "$1" \
         -frames:v "$frames" -f null - 2>&1 |
    awk -v n="$frames" -F'[= s]+' '/bench: utime/ {
        for (i = 1; i <= NF; i++) { if ($i == "utime") u = $(i+1); if ($i == "stime") s = $(i+1); if ($i == "rtime") r = $(i+1) }
        printf "%.0f %.0f\n", n / r, n / (u + s) }'
}

peer=($(rates "color=c=black:size=640x480:rate=50,format=rgba"))
wave=($(rates "frei0r_src=size=640x480:framerate=50:filter_name=wavetext:filter_params=MIRVO"))
bounce=($(rates "frei0r_src=size=640x480:framerate=50:filter_name=bouncetext:filter_params=MIRVO"))
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%d frames at 640x480 RGBA, to the null muxer\n' "$frames"
printf '%-22s %8s %8s %14s\n' source wall-fps cpu-fps "cpu vs peer"
printf '%-22s %8s %8s %14s\n' "color (peer)" "${peer[0]}" "${peer[1]}" 1.00
printf '%-22s %8s %8s %14s\n' "frei0r wavetext" "${wave[0]}" "${wave[1]}" "$(ratio "${wave[1]}" "${peer[1]}")"
printf '%-22s %8s %8s %14s\n' "frei0r bouncetext" "${bounce[0]}" "${bounce[1]}" "$(ratio "${bounce[1]}" "${peer[1]}")"

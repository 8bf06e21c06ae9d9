#!/usr/bin/env bash
# CPU time per frame of the frei0r modules in ffmpeg at 640x480, as a ratio to a frei0r
# module of frei0r-plugins doing the same job in the same run: wavetext and bouncetext
# against the partik0l source, boxflood against the invert0r filter (over ffmpeg's colour
# source). Peer and effect run in turn, 7 pairs; each ratio is the median of the 7 pairs
# (with the least and the most). CPU time (user + system, from ffmpeg's -benchmark line)
# does not depend on what else the machine runs; it includes ffmpeg's own work per frame.
#   bench/plugins/ffmpeg_fps.sh BUILD_DIR [FRAMES] [PAIRS]     (needs frei0r-plugins)
set -euo pipefail
build=$(cd "${1:?usage: ffmpeg_fps.sh BUILD_DIR [FRAMES] [PAIRS]}" && pwd)
frames=${2:-2000}
pairs=${3:-7}
here=$(cd "$(dirname "$0")" && pwd)
export FREI0R_PATH="$build/frei0r-1"   # then ffmpeg's own places, where frei0r-plugins is
cd "$here/../../player"                # the default font is ../GFX/font.pcx
size=640x480

# input graph -> CPU microseconds per frame, from ffmpeg's -benchmark line
cpu_per_frame() {
  ffmpeg -hide_banner -nostats -loglevel info -benchmark -f lavfi -i "$1" \
         -frames:v "$frames" -f null - 2>&1 |
    awk -v n="$frames" '/bench: utime/ {
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^utime=/) { sub(/utime=/, "", $i); sub(/s$/, "", $i); u = $i }
          if ($i ~ /^stime=/) { sub(/stime=/, "", $i); sub(/s$/, "", $i); s = $i } }
        printf "%.1f\n", (u + s) * 1e6 / n }'
}

# (ffmpeg 5's frei0r_src refuses a source without filter_params: each gets its defaults'
# equivalent, partik0l "0|0", the scrollers a text that runs for 400 frames.)
src() { echo "frei0r_src=size=$size:framerate=50:filter_name=$1:filter_params=$2"; }
flt() { echo "color=c=black:size=$size:rate=50,format=rgba,frei0r=filter_name=$1${2:+:filter_params=$2}"; }
text="MIRVO FREI0R BENCHMARK  "

# name, peer graph, effect graph -> one line: peer and effect medians, ratio median, min, max
compare() {
  local name=$1 peer=$2 effect=$3 ratios=() p e peers=() effects=()
  for ((i = 0; i < pairs; i++)); do
    p=$(cpu_per_frame "$peer")
    e=$(cpu_per_frame "$effect")
    peers+=("$p") effects+=("$e")
    ratios+=("$(awk -v a="$e" -v b="$p" 'BEGIN { printf "%.3f", a / b }')")
  done
  median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  printf '%-11s %12s %12s %8s %8s %8s\n' "$name" "$(median "${peers[@]}")" "$(median "${effects[@]}")" \
    "$(median "${ratios[@]}")" "$(printf '%s\n' "${ratios[@]}" | sort -g | head -n 1)" \
    "$(printf '%s\n' "${ratios[@]}" | sort -g | tail -n 1)"
}

printf '%d frames at %s RGBA to the null muxer, %d alternating pairs; CPU us per frame\n' \
  "$frames" "$size" "$pairs"
printf '%-11s %12s %12s %8s %8s %8s\n' effect "peer us" "effect us" ratio min max
compare wavetext "$(src partik0l '0|0')" "$(src wavetext "$text")"
compare bouncetext "$(src partik0l '0|0')" "$(src bouncetext "$text")"
compare boxflood "$(flt invert0r)" "$(flt boxflood)"
echo "peers: partik0l for the sources, invert0r for the filter (frei0r-plugins)"

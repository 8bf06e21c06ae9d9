#!/usr/bin/env bash
# The Debian 13 stage of CI (run after tools/test.sh has built build/ on the CI machine's
# Debian 12): in a fresh minimal trixie root (tools/fresh-root.sh) the README's test command
# runs, and there the player draws 200 frames of `boxflood` and of `-b 8 wavetext`
# (tools/player-frames.sh); those must equal, pixel for pixel, the frames that the Debian 12
# build draws here. Prints each step's time; fails when the tests fail in the root or when a
# frame differs (naming the first one).
#   tools/ci-trixie.sh [BUILD-DIR]      (default: build/, the Debian 12 build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
[ -x "$build/bin/mirvo-play" ] || { echo "ci-trixie: no $build/bin/mirvo-play; run tools/test.sh first" >&2; exit 2; }
work=$(mktemp -d /tmp/mirvo-ci-trixie.XXXXXX)
trap 'rm -rf "$work"' EXIT
stage_time() {  # stage_time NAME START
  printf 'ci-trixie: %s took %d min %02d s\n' "$1" $(((SECONDS - $2) / 60)) $(((SECONDS - $2) % 60))
}
start=$SECONDS

began=$SECONDS
echo "ci-trixie: == Debian 12 frames"
"$top/tools/player-frames.sh" "$build" "$work/debian12"
stage_time "Debian 12 frames" "$began"

# The frames are drawn even when a test fails, so that both results are reported.
began=$SECONDS
echo "ci-trixie: == Debian 13 root: tools/test.sh, then the frames"
tests=0
"$top/tools/fresh-root.sh" --out "$work/debian13" trixie bash -c \
  'tools/test.sh; status=$?; tools/player-frames.sh build ~/out || status=1; exit $status' || tests=$?
stage_time "Debian 13 root" "$began"

# Pixels, not files: the two releases' zlib may pack the same picture differently.
began=$SECONDS
pixels() {  # pixels DIR: one checksum of the RGBA pixels of each frame, in order
  ffmpeg -loglevel error -i "$1/frame-%06d.png" -pix_fmt rgba -f framemd5 - | awk '!/^#/ { print $NF }'
}
frames=0
for name in boxflood wavetext-b8; do
  if [ ! -d "$work/debian13/$name" ]; then
    echo "ci-trixie: $name: the Debian 13 root drew no frames" >&2
    frames=1
    continue
  fi
  pixels "$work/debian12/$name" >"$work/$name.12"
  pixels "$work/debian13/$name" >"$work/$name.13"
  # (awk reads both files itself: a pipe that it leaves early would fail under pipefail)
  first=$(awk 'NR == FNR { a[FNR] = $0; next } a[FNR] != $0 { print FNR; exit }' \
    "$work/$name.12" "$work/$name.13")
  n12=$(wc -l <"$work/$name.12") n13=$(wc -l <"$work/$name.13")
  if [ -n "$first" ] || [ "$n12" -ne "$n13" ]; then
    echo "ci-trixie: $name: Debian 13 draws other frames than Debian 12 (first: frame ${first:-$((n12 < n13 ? n12 + 1 : n13 + 1))}; $n12 and $n13 frames)" >&2
    frames=1
  else
    echo "ci-trixie: $name: the $n12 frames of Debian 12 and 13 are the same"
  fi
done
stage_time "frame comparison" "$began"
stage_time "Debian 13 stage" "$start"
[ "$tests" -eq 0 ] || echo "ci-trixie: the tests failed in the Debian 13 root (status $tests)" >&2
[ "$tests" -eq 0 ] && [ "$frames" -eq 0 ]

#!/usr/bin/env bash
# Renders the Kdenlive project tests/data/editors/effects.kdenlive (a wavetext generator clip,
# a colour clip with boxflood on it, a bouncetext generator clip, 50 frames each at 720p
# and 50 fps) as Kdenlive 22.12's render dialog does: the project with a <consumer> element
# (PNG frames) handed to `kdenlive_render MELT PLAYLIST TARGET`, under Xvfb (MLT's qtblend,
# Kdenlive's track compositing, needs a display). Then the player draws the same effects and
# tests/plugins/kdenlive_frames.py compares the frames pixel for pixel.
#   tools/kdenlive-render.sh --build BUILD-DIR OUT   the build's frei0r modules and player
#   tools/kdenlive-render.sh --installed OUT         the installed ones only (no FREI0R_PATH)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: tools/kdenlive-render.sh --build BUILD-DIR OUT | --installed OUT" >&2; exit 2; }
case "${1:-}" in
  --build)
    [ $# -eq 3 ] || usage
    build=$(cd "$2" && pwd)
    export FREI0R_PATH=$build/frei0r-1
    player=$build/bin/mirvo-play
    shift 2 ;;
  --installed)
    [ $# -eq 2 ] || usage
    unset FREI0R_PATH
    player=$(command -v mirvo-play) || { echo "kdenlive-render: mirvo-play is not installed" >&2; exit 1; }
    shift ;;
  *) usage ;;
esac
out=$(mkdir -p "$1" && cd "$1" && pwd)
for tool in kdenlive_render melt xvfb-run ffmpeg python3; do
  command -v "$tool" >/dev/null || { echo "kdenlive-render: $tool is not installed" >&2; exit 1; }
done
step() {  # step NAME START
  printf 'kdenlive-render: %s took %d s\n' "$1" $((SECONDS - $2))
}
# The build's modules and player read the font relative to player/; the installed ones
# find their own, from anywhere.
if [ -n "${build:-}" ]; then cwd=$top/player; else cwd=$out; fi

began=$SECONDS
rm -rf "${out:?}/project" "$out/render" "$out/wavetext" "$out/boxflood" "$out/bouncetext"
mkdir -p "$out/render"
cp -r "$top/tests/data/editors" "$out/project"
# Kdenlive's render playlist: the project, its clips found from its folder, and the consumer.
target=$out/render/frame-%06d.png
sed -e "s|producer=\"main_bin\"|& root=\"$out/project\"|" \
  -e "s|^</mlt>| <consumer mlt_service=\"avformat\" target=\"$target\" f=\"image2\" vcodec=\"png\" in=\"0\" out=\"149\" real_time=\"-1\" threads=\"1\"/>\n</mlt>|" \
  "$out/project/effects.kdenlive" >"$out/render.mlt"
# kdenlive_render deletes the playlist when done, and exits with 0 even when it rendered
# nothing: the frames are counted.
(cd "$cwd" && env -u DISPLAY XDG_RUNTIME_DIR="$out" xvfb-run -a \
  kdenlive_render "$(command -v melt)" "$out/render.mlt" "$target") >"$out/render.log" 2>&1 || {
  echo "kdenlive-render: kdenlive_render failed:" >&2
  cat "$out/render.log" >&2
  exit 1
}
n=$(ls "$out/render" | grep -c '^frame-.*\.png$' || true)
if [ "$n" -ne 150 ]; then
  echo "kdenlive-render: kdenlive_render drew $n frames, not 150:" >&2
  cat "$out/render.log" >&2
  exit 1
fi
step "kdenlive_render (150 frames)" "$began"

began=$SECONDS
capture() {  # capture NAME ARGS...
  local name=$1
  shift
  (cd "$cwd" && SDL_VIDEODRIVER=dummy MIRVO_FRAMES=50 MIRVO_NOWAIT=1 MIRVO_CAPTURE="$out/$name" \
    "$player" --headless --exact-text -W 1280 -H 720 "$@" >/dev/null)
}
# The project's parameters, in the player's units.
capture wavetext wavetext "HELLO FROM KDENLIVE " amplitude=80 slice_width=3
capture boxflood boxflood 1 6 51 153 255
capture bouncetext bouncetext "JUMP AROUND " height=240
step "the player's frames" "$began"

began=$SECONDS
python3 "$top/tests/plugins/kdenlive_frames.py" "$out/render" "$out/wavetext" "$out/boxflood" \
  "$out/bouncetext"
step "frame comparison" "$began"

#!/usr/bin/env bash
# The smoke run of an installed Mirvo, shared by the install check (a prefix) and the package
# check (the system): from RUN-DIR, a folder with no GFX/ or TEXTURES/ beside it and with no
# variable pointing at the data or the modules, it runs rasterwave, mirvo-play and kora-demo
# headless, renders one frame through ffmpeg's frei0r_src with the installed wavetext module
# (a module that cannot load its font still hands over a frame, so any word from ffmpeg or the
# module fails), and builds and runs the examples with pkg-config alone.
#   tools/smoke.sh --prefix DIR RUN-DIR    a copy installed with cmake --install into DIR
#   tools/smoke.sh --system RUN-DIR        the installed Debian packages
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: tools/smoke.sh --prefix DIR RUN-DIR | --system RUN-DIR" >&2; exit 2; }
bin="" libdir=""
case "${1:-}" in
  --prefix) [ $# -eq 3 ] || usage
            bin="$2/bin/"
            libdir=$(dirname "$(find "$2" -name 'libKORA.so' | head -n 1)")
            export PKG_CONFIG_PATH="$libdir/pkgconfig" FREI0R_PATH="$libdir/frei0r-1"
            shift 2 ;;
  --system) [ $# -eq 2 ] || usage
            unset FREI0R_PATH LD_LIBRARY_PATH
            shift ;;
  *) usage ;;
esac
run=$1
unset MIRVO_DATA_DIR MIRVO_MODULE_PATH
cd "$run"

for program in rasterwave mirvo-play kora-demo; do
  "${bin}$program" --version
done
SDL_VIDEODRIVER=dummy MIRVO_FRAMES=5 MIRVO_NOWAIT=1 "${bin}rasterwave"
SDL_VIDEODRIVER=dummy MIRVO_FRAMES=5 MIRVO_NOWAIT=1 "${bin}mirvo-play" --headless \
  wavetext + bouncetext + boxflood
xvfb-run -a "${bin}kora-demo" --size 320x240 --frames 5 --capture "$run/kora.png" 2>"$run/kora.err"
if [ -s "$run/kora.err" ]; then
  echo "smoke: kora-demo complained:" >&2
  cat "$run/kora.err" >&2
  exit 1
fi
test -s "$run/kora.png"

# (frei0r's 0 to 1: glyphs 16 x 32 of 1 to 255, amplitude 80 of 0 to 65535, slices 2 of 0 to 255)
ffmpeg -hide_banner -loglevel error -y -f lavfi \
  -i "frei0r_src=size=320x240:framerate=25:filter_name=wavetext:filter_params=HELLO|||0.0590551181102|0.122047244094|0.00122072175174|0.0078431372549" \
  -frames:v 1 "$run/wavetext.png" >"$run/ffmpeg.log" 2>&1 || true
if [ -s "$run/ffmpeg.log" ] || [ ! -s "$run/wavetext.png" ]; then
  echo "smoke: no clean frame from the installed wavetext frei0r module:" >&2
  cat "$run/ffmpeg.log" >&2
  exit 1
fi

# The examples through pkg-config; a prefix's libraries are not on the loader's path.
c++ -std=c++17 -Wall -Wextra "$top/examples/kora_example.cpp" -o "$run/kora_example" \
  $(pkg-config --cflags --libs kora)
c++ -std=c++17 -Wall -Wextra "$top/examples/effect-host/effect_host.cpp" -o "$run/effect_host" \
  -DEFFECT_MODULE_DIR="\"$(pkg-config --variable=moduledir mirvo)\"" \
  $(pkg-config --cflags --libs mirvo) -lltdl
LD_LIBRARY_PATH="$libdir" "$run/kora_example"
LD_LIBRARY_PATH="$libdir" "$run/effect_host"

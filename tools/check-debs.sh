#!/usr/bin/env bash
# CI stage for the Debian packages: builds them (tools/debs.sh: dpkg-buildpackage with the
# test suite, then lintian), installs them with apt-get, runs rasterwave, mirvo-play and
# kora-demo headless from a folder outside the source tree, renders one frame through
# ffmpeg's frei0r_src without FREI0R_PATH, checks that no installed file names the build
# machine's tree, and removes the packages again. Needs root (or sudo).
#   tools/check-debs.sh [DEBS-DIR]     (default: debs/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
debs=$(mkdir -p "${1:-$top/debs}" && cd "${1:-$top/debs}" && pwd)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
packages=(libkora0 libkora-dev libmirvo0 libmirvo-dev mirvo frei0r-plugins-mirvo)

"$top/tools/debs.sh" "$debs"
for p in "${packages[@]}"; do
  ls "$debs/${p}_"*.deb >/dev/null
done
# The README installs ./debs/*.deb: those must be the six packages and nothing else.
if [ "$(ls "$debs"/*.deb | wc -l)" -ne ${#packages[@]} ]; then
  echo "check-debs: $debs holds more than the ${#packages[@]} packages:" $(cd "$debs" && ls *.deb) >&2
  exit 1
fi

run=$(mktemp -d /tmp/mirvo-debs-run.XXXXXX)
cleanup() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true
  rm -rf "$run"
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
  $(for p in "${packages[@]}"; do ls "$debs/${p}_"*.deb; done) >/dev/null

cd "$run"
unset MIRVO_DATA_DIR MIRVO_MODULE_PATH FREI0R_PATH LD_LIBRARY_PATH
for program in rasterwave mirvo-play kora-demo; do
  "$program" --version
  man -w "$program" >/dev/null
done
SDL_VIDEODRIVER=dummy MIRVO_FRAMES=5 MIRVO_NOWAIT=1 rasterwave
SDL_VIDEODRIVER=dummy MIRVO_FRAMES=5 MIRVO_NOWAIT=1 mirvo-play --headless wavetext + bouncetext + boxflood
xvfb-run -a kora-demo --size 320x240 --frames 5 --capture "$run/kora.png" 2>"$run/kora.err"
if [ -s "$run/kora.err" ]; then
  cat "$run/kora.err" >&2
  exit 1
fi
test -s "$run/kora.png"
"$top/tools/frei0r-frame.sh" "$run/wavetext.png"

# The SDKs from the packages: the examples build with pkg-config alone.
c++ -std=c++17 -Wall -Wextra "$top/examples/kora_example.cpp" -o "$run/kora_example" \
  $(pkg-config --cflags --libs kora)
"$run/kora_example"
c++ -std=c++17 -Wall -Wextra "$top/examples/effect-host/effect_host.cpp" -o "$run/effect_host" \
  -DEFFECT_MODULE_DIR="\"$(pkg-config --variable=moduledir mirvo)\"" \
  $(pkg-config --cflags --libs mirvo) -lltdl
"$run/effect_host"

files=$(dpkg -L "${packages[@]}" | sort -u)
for f in $files; do
  [ -f "$f" ] || continue
  if grep -qF -e "$top" -e "/tmp/tmp." "$f"; then
    echo "check-debs: $f names a build path" >&2
    exit 1
  fi
done
echo "check-debs: the packages install, run from $run and are removed again"

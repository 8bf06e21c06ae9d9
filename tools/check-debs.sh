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

for program in rasterwave mirvo-play kora-demo; do
  man -w "$program" >/dev/null
done
"$top/tools/smoke.sh" --system "$run"

files=$(dpkg -L "${packages[@]}" | sort -u)
for f in $files; do
  [ -f "$f" ] || continue
  if grep -qF -e "$top" -e "/tmp/tmp." "$f"; then
    echo "check-debs: $f names a build path" >&2
    exit 1
  fi
done
echo "check-debs: the packages install, run from $run and are removed again"

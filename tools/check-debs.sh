#!/usr/bin/env bash
# CI stage for the Debian packages: builds them (tools/debs.sh: dpkg-buildpackage with the
# test suite, then lintian), installs them with apt-get, runs rasterwave, mirvo-play and
# kora-demo headless from a folder outside the source tree, renders one frame through
# ffmpeg's frei0r_src without FREI0R_PATH, runs docs/kora.md's commands for the packages,
# checks that no installed file names the build
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

# The frei0r modules draw with the bundled font: their package carries it or depends on the
# one that does (an editor's user installs frei0r-plugins-mirvo alone).
# (grep reads all it is given: grep -q would stop dpkg-deb with a broken pipe, a failure
# under pipefail.)
font_deb=$(for p in "${packages[@]}"; do
  if dpkg-deb -c "$debs/${p}_"*.deb | grep '/usr/share/mirvo/GFX/font\.pcx$' >/dev/null; then
    echo "$p"
  fi
done)
if [ "$font_deb" != frei0r-plugins-mirvo ] &&
  ! dpkg-deb -f "$debs/frei0r-plugins-mirvo_"*.deb Depends | tr ',' '\n' |
    grep -E "^ *${font_deb:-no font} *(\(|$)" >/dev/null; then
  echo "check-debs: frei0r-plugins-mirvo neither carries the font nor depends on ${font_deb:-a package with it}" >&2
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

for program in rasterwave mirvo-play mirvo-describe kora-demo; do
  man -w "$program" >/dev/null
done
"$top/tools/smoke.sh" --system "$run"
# The editors' descriptions that frei0r-plugins-mirvo installs fit the installed modules.
for fx in boxflood wavetext bouncetext; do
  python3 "$top/tests/plugins/editor_descriptions.py" "$(ls /usr/lib/*/mirvo/modules/$fx.so.0)" \
    /usr/lib/frei0r-1/$fx.so /usr/share/kdenlive /usr/share/shotcut/qml/filters >/dev/null
done

# docs/kora.md's commands for the packages, as they stand: no variable points anywhere.
mkdir -p "$run/docs"
ln -s "$top/examples" "$run/docs/examples"
"$top/tools/doc-block.sh" "$top/docs/kora.md" kora-install-debian > "$run/kora-debian.sh"
(cd "$run/docs" && env -u PKG_CONFIG_PATH -u LD_LIBRARY_PATH -u CMAKE_PREFIX_PATH -u KORA_DIR \
  bash -euo pipefail "$run/kora-debian.sh" >"$run/kora-debian.log" 2>&1) || {
  echo "check-debs: docs/kora.md's commands for the packages failed as written:" >&2
  cat "$run/kora-debian.log" >&2
  exit 1
}

files=$(dpkg -L "${packages[@]}" | sort -u)
for f in $files; do
  [ -f "$f" ] || continue
  if grep -qF -e "$top" -e "/tmp/tmp." "$f"; then
    echo "check-debs: $f names a build path" >&2
    exit 1
  fi
done
echo "check-debs: the packages install, run from $run and are removed again"

#!/usr/bin/env bash
# CI stage for the editors: on a fresh Debian 12 (tools/fresh-root.sh) the project's six
# packages (from DEBS-DIR, built by tools/check-debs.sh) are installed with apt-get, with
# Kdenlive, melt, ffmpeg and Xvfb, and there, with only the installed files (no FREI0R_PATH,
# no build tree): the editors' descriptions are checked against the installed modules
# (tests/plugins/editor_descriptions.py) and the Kdenlive project tests/data/editors/
# effects.kdenlive is rendered through kdenlive_render, its frames equal to those the
# installed mirvo-play draws (tools/kdenlive-render.sh --installed). With --pictures,
# Shotcut is installed too, and tools/editor-screenshots.sh takes both editors' pictures of
# the installed effects into DIR. Prints each step's time.
#   tools/check-editors.sh [--pictures DIR] [DEBS-DIR]     (default: debs/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: tools/check-editors.sh [--pictures DIR] [DEBS-DIR]" >&2; exit 2; }
packages=(libkora0 libkora-dev libmirvo0 libmirvo-dev mirvo frei0r-plugins-mirvo)

if [ "${1:-}" = --inside ]; then
  # In the root, as its user, from the clone; the packages are in ~/in.
  pictures=${2:-0}
  step_start=$SECONDS step_name=""
  step() {  # step NAME: prints the time of the step before and starts the next
    [ -z "$step_name" ] || printf 'check-editors: %s took %d min %02d s\n' "$step_name" \
      $(((SECONDS - step_start) / 60)) $(((SECONDS - step_start) % 60))
    step_name=$1 step_start=$SECONDS
    [ -z "$1" ] || echo "check-editors: == $1"
  }
  step "apt-get install: the packages, kdenlive, melt, ffmpeg, xvfb (and shotcut for the pictures)"
  extra=()
  [ "$pictures" -eq 0 ] || extra=(shotcut xdotool imagemagick dbus-daemon)  # tools/editor-screenshots.sh
  sudo apt-get update -qq
  # (apt's own lines go to a log, shown when it fails)
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
    ~/in/*.deb kdenlive melt ffmpeg xvfb xauth python3 "${extra[@]}" >/tmp/apt.log 2>&1 || {
    tail -n 40 /tmp/apt.log >&2
    exit 1
  }
  echo "check-editors: installed" $(dpkg-query -W -f='${Package} ${Version};' kdenlive melt \
    frei0r-plugins-mirvo | sed 's/;$//; s/;/, /g')

  step "the installed descriptions against the installed modules"
  for fx in boxflood wavetext bouncetext; do
    python3 tests/plugins/editor_descriptions.py "$(ls /usr/lib/*/mirvo/modules/$fx.so.0)" \
      /usr/lib/frei0r-1/$fx.so /usr/share/kdenlive /usr/share/shotcut/qml/filters
  done

  step "the Kdenlive project through kdenlive_render"
  tools/kdenlive-render.sh --installed ~/render

  if [ "$pictures" -ne 0 ]; then
    step "the editors' pictures"
    mkdir -p ~/out/pictures
    tools/editor-screenshots.sh /usr/share /usr/lib/frei0r-1 ~/out/pictures
    # (a version of the script without OUT-DIR writes into docs/)
    [ -n "$(ls ~/out/pictures)" ] || cp docs/kdenlive-*.png ~/out/pictures/
  fi
  step ""
  exit 0
fi

pictures=""
while [ $# -gt 0 ]; do
  case "$1" in
    --pictures) [ $# -ge 2 ] || usage; pictures=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    -*) usage ;;
    *) break ;;
  esac
  shift
done
[ $# -le 1 ] || usage
debs=$(cd "${1:-$top/debs}" && pwd)
work=$(mktemp -d /tmp/mirvo-check-editors.XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir "$work/in" "$work/out"
for p in "${packages[@]}"; do
  cp "$(ls "$debs/${p}_"*.deb)" "$work/in/"
done
status=0
"$top/tools/fresh-root.sh" --in "$work/in" --out "$work/out" bookworm \
  tools/check-editors.sh --inside "$([ -n "$pictures" ] && echo 1 || echo 0)" || status=$?
if [ -n "$pictures" ] && [ -d "$work/out/pictures" ]; then
  cp "$work/out/pictures/"* "$pictures/"
  echo "check-editors: the pictures are in $pictures"
fi
[ "$status" -eq 0 ] || { echo "check-editors: failed (status $status)" >&2; exit "$status"; }
echo "check-editors: the packages installed on a fresh Debian 12 render the Kdenlive project as the player draws it"

#!/usr/bin/env bash
# Pictures of the effects in Kdenlive for docs/frei0r.md: starts Debian's Kdenlive under Xvfb
# with a fresh home and the build's descriptions and frei0r modules (or an installed prefix's)
# and takes the screen with Project > Generators open, with wavetext's generator dialog and with
# the effects list searched for boxflood. Needs kdenlive, xvfb, xdotool, dbus and ImageMagick's import.
#   tools/editor-screenshots.sh [SHARE-DIR FREI0R-DIR]    (default: build/share build/frei0r-1)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
share=$(cd "${1:-$top/build/share}" && pwd)
frei0r=$(cd "${2:-$top/build/frei0r-1}" && pwd)
for tool in kdenlive xvfb-run xdotool dbus-run-session import; do
  command -v "$tool" >/dev/null || { echo "editor-screenshots: $tool is not installed" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The session: Kdenlive's window takes the screen's top left; the clicks are where its
# default layout puts the menu and the effects tab at 1600 x 1000.
cat > "$work/session.sh" <<EOF
set -u
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_DIRS=$share:/usr/share
export FREI0R_PATH=$frei0r
mkdir -p \$HOME
dbus-run-session -- kdenlive >"$work/kdenlive.log" 2>&1 &
sleep 40
xdotool mousemove 152 10 click 1
sleep 2
xdotool mousemove 190 184 click 1
sleep 2
import -window root -crop 1000x560+0+0 "$work/generators.png"
xdotool mousemove 543 209 click 1
sleep 4
import -window root "$work/wavetext.png"
xdotool key Escape
sleep 1
xdotool mousemove 195 466 click 1
sleep 2
xdotool mousemove 207 76 click 1
xdotool type --delay 100 boxflood
sleep 3
import -window root -crop 1000x560+0+0 "$work/effects.png"
EOF
timeout 180 xvfb-run -a -s '-screen 0 1600x1000x24' bash "$work/session.sh" || true
for shot in generators wavetext effects; do
  [ -s "$work/$shot.png" ] || { echo "editor-screenshots: no $shot picture" >&2; cat "$work/kdenlive.log" >&2; exit 1; }
  cp "$work/$shot.png" "$top/docs/kdenlive-$shot.png"
done
echo "editor-screenshots: docs/kdenlive-generators.png docs/kdenlive-wavetext.png docs/kdenlive-effects.png"

#!/usr/bin/env bash
# Pictures of the effects in Kdenlive and Shotcut for docs/frei0r.md: starts Debian's Kdenlive
# and Shotcut under Xvfb, each with a fresh home and the build's descriptions and frei0r modules
# (or an installed system's), and takes the screen as a user would see it:
#   kdenlive-generators.png  Project > Generators with Wavetext and Bouncetext
#   kdenlive-wavetext.png    wavetext's generator dialog
#   kdenlive-effects.png     the effects list searched for boxflood
#   kdenlive-boxflood.png    boxflood on a colour clip: its controls and the box in the monitor
#   shotcut-filters.png      Shotcut's filter list searched for boxflood
#   shotcut-boxflood.png     boxflood on a colour clip: its controls and the box in the player
# Needs kdenlive, shotcut, xvfb, xdotool, dbus and ImageMagick: tools/deps.sh gen:screenshots.
#   tools/editor-screenshots.sh [SHARE-DIR FREI0R-DIR [OUT-DIR]]
# SHARE-DIR holds kdenlive/ and shotcut/qml/filters/ (default build/share; /usr/share for the
# installed packages), FREI0R-DIR the modules (build/frei0r-1; /usr/lib/frei0r-1), OUT-DIR the
# pictures (docs). EDITOR_SCREENSHOTS_WAIT is the longest wait for one step (default 120 s).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
die() {
  echo "editor-screenshots: $*" >&2
  exit 1
}
[ $# -eq 0 ] || [ $# -eq 2 ] || [ $# -eq 3 ] || die "usage: $0 [SHARE-DIR FREI0R-DIR [OUT-DIR]]"
share=$(cd "${1:-$top/build/share}" 2>/dev/null && pwd) || die "no folder ${1:-$top/build/share}"
frei0r=$(cd "${2:-$top/build/frei0r-1}" 2>/dev/null && pwd) || die "no folder ${2:-$top/build/frei0r-1}"
mkdir -p "${3:-$top/docs}"
out=$(cd "${3:-$top/docs}" && pwd)
for tool in kdenlive shotcut melt xvfb-run xdotool dbus-run-session import convert; do
  command -v "$tool" >/dev/null || die "$tool is not installed (tools/deps.sh gen:screenshots)"
done
for file in "$share/kdenlive/generators/mirvo_wavetext.xml" "$share/kdenlive/generators/mirvo_bouncetext.xml" \
  "$share/kdenlive/effects/mirvo_boxflood.xml" "$share/shotcut/qml/filters/mirvo_boxflood/meta.qml" \
  "$frei0r/boxflood.so" "$frei0r/wavetext.so" "$frei0r/bouncetext.so"; do
  [ -f "$file" ] || die "no $file"
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Kdenlive lists its generators folder by folder (in XDG_DATA_DIRS' order), each folder's
# by file name, leaving out those whose MLT service it cannot find (frei0r-plugins' Color
# Bars, say, where FREI0R_PATH does not reach it): Wavetext's place in the Generators menu,
# for the click on it, wherever the packages put our files.
services=$(FREI0R_PATH=$frei0r melt -query producers 2>/dev/null | sed -n 's/^  - //p')
place=0 wavetext_place=""
for dir in $(printf '%s\n' "$share" /usr/share | awk '!seen[$0]++'); do
  for file in $(LC_ALL=C ls "$dir"/kdenlive/generators/*.xml 2>/dev/null); do
    tag=$(sed -n 's/.*<generator[^>]* tag="\([^"]*\)".*/\1/p' "$file" | head -n 1)
    grep -qxF -e "$tag" <<<"$services" || continue
    [ "${file##*/}" != mirvo_wavetext.xml ] || wavetext_place=$place
    place=$((place + 1))
  done
done
[ -n "$wavetext_place" ] || die "Kdenlive would not list Wavetext (melt finds no frei0r.wavetext in $frei0r)"
export WAVETEXT_MENU_Y=$((184 + 25 * wavetext_place))

# Shotcut reads its filters only from share/shotcut/qml beside its program: a copy of the
# program in a tree of its own whose filters folder links the system's filters and ours.
shotcut_bin=$(readlink -f "$(command -v shotcut)")
shotcut_share=$(dirname "$shotcut_bin")/../share/shotcut
[ -d "$shotcut_share/qml/filters" ] || die "no $shotcut_share/qml/filters (Shotcut's own)"
mkdir -p "$work/shotcut/bin" "$work/shotcut/share/shotcut/qml/filters"
cp "$shotcut_bin" "$work/shotcut/bin/shotcut"
for tool in melt ffmpeg ffprobe; do
  ! command -v "$tool" >/dev/null || ln -s "$(command -v "$tool")" "$work/shotcut/bin/$tool"
done
for entry in "$shotcut_share"/*; do
  [ "${entry##*/}" = qml ] || ln -s "$(readlink -f "$entry")" "$work/shotcut/share/shotcut/"
done
for entry in "$shotcut_share"/qml/*; do
  [ "${entry##*/}" = filters ] || ln -s "$(readlink -f "$entry")" "$work/shotcut/share/shotcut/qml/"
done
for entry in "$shotcut_share"/qml/filters/* "$share"/shotcut/qml/filters/*; do
  ln -sfn "$(readlink -f "$entry")" "$work/shotcut/share/shotcut/qml/filters/"
done

# A Shotcut project of one opaque colour clip, 10 s at 640 x 360 and 25 frames a second.
sed 's/^  //' >"$work/colour-clip.mlt" <<'EOF'
  <?xml version="1.0" encoding="utf-8"?>
  <mlt LC_NUMERIC="C" version="7.12.0" title="Shotcut version 22.12.21" producer="main_bin">
    <profile description="640x360 25 fps" width="640" height="360" progressive="1" sample_aspect_num="1"
      sample_aspect_den="1" display_aspect_num="16" display_aspect_den="9" frame_rate_num="25" frame_rate_den="1" colorspace="709"/>
    <playlist id="main_bin">
      <property name="xml_retain">1</property>
    </playlist>
    <producer id="black" in="00:00:00.000" out="00:00:09.960">
      <property name="length">00:00:10.000</property>
      <property name="eof">pause</property>
      <property name="resource">0</property>
      <property name="mlt_service">color</property>
      <property name="mlt_image_format">rgba</property>
      <property name="set.test_audio">0</property>
    </producer>
    <playlist id="background">
      <entry producer="black" in="00:00:00.000" out="00:00:09.960"/>
    </playlist>
    <producer id="producer0" in="00:00:00.000" out="00:00:09.960">
      <property name="length">00:00:10.000</property>
      <property name="eof">pause</property>
      <property name="resource">#ff203050</property>
      <property name="mlt_service">color</property>
      <property name="mlt_image_format">rgba</property>
      <property name="shotcut:caption">colour clip</property>
    </producer>
    <playlist id="playlist0">
      <property name="shotcut:video">1</property>
      <property name="shotcut:name">V1</property>
      <entry producer="producer0" in="00:00:00.000" out="00:00:09.960"/>
    </playlist>
    <tractor id="tractor0" title="Shotcut version 22.12.21" in="00:00:00.000" out="00:00:09.960">
      <property name="shotcut">1</property>
      <property name="shotcut:projectAudioChannels">2</property>
      <property name="shotcut:projectFolder">0</property>
      <track producer="background"/>
      <track producer="playlist0"/>
      <transition id="transition0">
        <property name="a_track">0</property>
        <property name="b_track">1</property>
        <property name="mlt_service">mix</property>
        <property name="always_active">1</property>
        <property name="sum">1</property>
      </transition>
    </tractor>
  </mlt>
EOF

# What both sessions do: wait for a window by its title, wait for the screen to settle after
# a click, wait for boxflood's colour (255, 160, 0) in a monitor, take the screen.
cat >"$work/steps.sh" <<EOF
set -euo pipefail
work=$work
wait=\${EDITOR_SCREENSHOTS_WAIT:-120}
export HOME=\$work/home-\$1 XDG_CONFIG_HOME=\$work/home-\$1/.config XDG_DATA_DIRS=$share:/usr/share
export XDG_RUNTIME_DIR=\$work/home-\$1/run FREI0R_PATH=$frei0r SDL_AUDIODRIVER=dummy
# A temporary folder of its own too: Kdenlive keeps a lock there while it starts, and one
# left by another Kdenlive makes it ask whether to reset its settings.
export TMPDIR=\$work/home-\$1/tmp
mkdir -p \$XDG_RUNTIME_DIR \$TMPDIR && chmod 700 \$XDG_RUNTIME_DIR
EOF
cat >>"$work/steps.sh" <<'EOF'
fail() {  # with the screen as it was
  echo "$*" >"$work/failed"
  import -window root "$work/failed.png" || true
  exit 1
}
window() {  # TITLE-PATTERN: the window's id, once it is shown
  timeout "$wait" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -1 | grep . ||
    fail "no window \"$1\" within $wait s; shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>&1 |
      paste -sd '|')"
}
settle() {  # until two grabs of the screen half a second apart are the same (a blinking
  local last="" now  # text cursor never lets them be: at most about 15 s)
  sleep 0.5
  for _ in $(seq 20); do
    now=$(import -window root rgb:- | md5sum)
    [ "$now" != "$last" ] || return 0
    last=$now
    sleep 0.5
  done
}
click() {  # X Y [COUNT]
  xdotool mousemove "$1" "$2" click --repeat "${3:-1}" --delay 150 1
  settle
}
box_shown() {  # WxH+X+Y: until boxflood's colour covers part of that region of the screen
  for _ in $(seq "$wait"); do
    import -window root -crop "$1" +repage "$work/region.png"
    part=$(convert "$work/region.png" -fill white -opaque '#ffa000' -fill black +opaque white \
      -format '%[fx:mean]' info:)
    awk "BEGIN { exit !($part > 0.01) }" && return 0
    sleep 1
  done
  fail "no box in the monitor ($1) within $wait s"
}
shot() {  # NAME [CROP]
  settle
  import -window root ${2:+-crop "$2"} "$work/$1.png"
  convert "$work/$1.png" +repage "$work/$1.png"  # no page offset left by the crop
}
EOF

# Kdenlive at its first start takes 1333 x 833 at the screen's top left (set so, should it
# not); the clicks are where its default layout puts the menus, the effects tab, the timeline
# and the monitors.
cat >"$work/kdenlive.sh" <<'EOF'
source "$(dirname "$0")/steps.sh" kdenlive
mkdir -p "$HOME"
kdenlive >"$work/kdenlive.log" 2>&1 &
editor=$!
trap 'kill -9 $editor 2>/dev/null || true' EXIT
id=$(window '^Untitled')
xdotool windowmove "$id" 0 0 windowsize "$id" 1333 833
settle
click 152 10            # Project
click 190 184           # Generators
shot kdenlive-generators 1000x560+0+0
click 543 "$WAVETEXT_MENU_Y"  # Wavetext...
window '^Wavetext' >/dev/null
shot kdenlive-wavetext 1333x833+0+0
xdotool key Escape
click 195 466           # the effects tab
click 207 76            # its search field
xdotool type --delay 100 boxflood
shot kdenlive-effects 1000x560+0+0
click 152 10            # Project
click 206 59            # Add Color Clip...
window '^Color Clip' >/dev/null
xdotool key Return
settle
click 661 507           # insert the clip into the timeline at the start of V1
click 180 708           # select it there (the left dock turns to its properties)
click 195 466           # the effects tab again, still searched for boxflood
click 86 117 2          # boxflood, added to the selected clip by a double click
click 1169 433          # the project monitor's time
xdotool key ctrl+a
xdotool type --delay 60 00:00:01:00
xdotool key Return
box_shown 450x250+880+80
shot kdenlive-boxflood 1333x833+0+0
EOF

# Shotcut opens the colour clip's project; the window is set to the screen's size, so the
# clicks land on its default layout's filters panel, timeline and player.
cat >"$work/shotcut.sh" <<'EOF'
source "$(dirname "$0")/steps.sh" shotcut
"$work/shotcut/bin/shotcut" --noupgrade --appdata "$HOME/appdata" "$work/colour-clip.mlt" \
  >"$work/shotcut.log" 2>&1 &
editor=$!
trap 'kill -9 $editor 2>/dev/null || true' EXIT
id=$(window '^colour-clip.mlt - Shotcut')
xdotool windowmove "$id" 0 0 windowsize "$id" 1600 1000
settle
click 265 875           # the colour clip on the timeline
click 103 708           # the Filters tab
click 21 288            # +: the filter list, its search field focused
xdotool type --delay 100 boxflood
shot shotcut-filters 1000x560+0+0
click 85 206            # Boxflood, added to the clip
click 685 675           # the player's time
xdotool key ctrl+a
xdotool type --delay 60 00:00:00:12
xdotool key Return
box_shown 640x360+620+170
shot shotcut-boxflood
EOF

for editor in kdenlive shotcut; do
  rm -f "$work/failed"
  status=0
  xvfb-run -a -s '-screen 0 1600x1000x24' dbus-run-session -- bash "$work/$editor.sh" || status=$?
  if [ -f "$work/failed" ] || [ "$status" -ne 0 ]; then
    tail -n 20 "$work/$editor.log" >&2 || true
    if [ -f "$work/failed.png" ]; then
      cp "$work/failed.png" "${TMPDIR:-/tmp}/editor-screenshots-$editor.png"
      echo "editor-screenshots: the screen then: ${TMPDIR:-/tmp}/editor-screenshots-$editor.png" >&2
    fi
    die "$editor: $(cat "$work/failed" 2>/dev/null || echo "the session ended with status $status")"
  fi
done

# A picture of one colour is a failed one; the boxflood pictures must show the box.
shots="kdenlive-generators kdenlive-wavetext kdenlive-effects kdenlive-boxflood shotcut-filters shotcut-boxflood"
for shot in $shots; do
  [ -s "$work/$shot.png" ] || die "no $shot picture"
  spread=$(convert "$work/$shot.png" -format '%[fx:standard_deviation]' info:)
  awk "BEGIN { exit !($spread > 0.02) }" || die "$shot.png is blank"
done
for shot in $shots; do
  cp "$work/$shot.png" "$out/$shot.png"
  echo "editor-screenshots: $out/$shot.png"
done

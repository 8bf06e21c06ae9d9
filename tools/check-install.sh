#!/usr/bin/env bash
# Installs a built tree into a temporary prefix, then, from a folder outside the source tree:
#  - builds and runs the out-of-tree examples against it (examples/kora_example.cpp against
#    KORA, examples/effect-host against the MIRVO SDK), through the CMake packages and
#    through pkg-config;
#  - builds examples/effect, an effect of its own, against it as a module and a frei0r module,
#    plays it with the installed mirvo-play and runs its frei0r module in ffmpeg;
#  - checks its Kdenlive and Shotcut descriptions, and the tree's installed ones, against the
#    modules they describe;
#  - runs the installed rasterwave, mirvo-play and kora-demo headless;
#  - runs docs/kora.md's install commands for a prefix as they stand;
#  - checks that no installed file holds a path of the build or source tree.
#   tools/check-install.sh [build-dir]      (default: build)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
run=$work/run
mkdir -p "$run"

cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libKORA.so' | head -n 1)")
echo "installed into a temporary prefix: $(cd "$prefix" && find . -name 'lib*.so.*' -o -name '*.pc' -o -name '*Config.cmake' -o -path './bin/*' | sort | tr '\n' ' ')"

# 0. Every installed header compiles on its own include path; internals are not installed.
(cd "$prefix/include" && find KORA mirvo -name '*.h' | sort | sed 's/.*/#include <&>/') > "$work/all_headers.cpp"
c++ -std=c++17 -Wall -Wextra -fsyntax-only -I"$prefix/include" -I"$prefix/include/mirvo" \
  $(pkg-config --cflags sdl) "$work/all_headers.cpp"
for private in KR_TerrainMesh.h KR_DataFile.h internal.h effect_defaults.h; do
  if find "$prefix/include" -name "$private" | grep -q .; then
    echo "check-install: private header $private is installed" >&2
    exit 1
  fi
done

# 1. The examples through the CMake packages.
cmake -S "$top/examples" -B "$work/kora-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/kora-build" >/dev/null
(cd "$run" && LD_LIBRARY_PATH="$libdir" "$work/kora-build/kora_example")
cmake -S "$top/examples/effect-host" -B "$work/host-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/host-build" >/dev/null
(cd "$run" && LD_LIBRARY_PATH="$libdir" "$work/host-build/effect_host")

# 1b. An effect written outside the tree (examples/effect): built against the installed SDK as
#     a module and as a frei0r module, played by the installed mirvo-play by its name from a
#     folder on the module path, and its frei0r module run by ffmpeg.
cmake -S "$top/examples/effect" -B "$work/effect-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/effect-build" >/dev/null
(cd "$run" && env -u MIRVO_MODULE_PATH "$prefix/bin/mirvo-play" -M "$work/effect-build" --help colorcycle |
  grep -q '^colorcycle 1.0 (source')
(cd "$run" && SDL_VIDEODRIVER=dummy MIRVO_FRAMES=5 MIRVO_NOWAIT=1 \
  "$prefix/bin/mirvo-play" --headless -M "$work/effect-build" colorcycle step=30 >/dev/null)
# (frei0r's 0 to 1: step 30 of 1 to 90, 240 frames of 1 to 65535)
FREI0R_PATH="$work/effect-build/frei0r-1" ffmpeg -hide_banner -loglevel error -y -f lavfi \
  -i "frei0r_src=size=64x48:framerate=25:filter_name=colorcycle:filter_params=0.325842696629|0.00364696188238" \
  -frames:v 3 "$run/colorcycle-%d.png" >"$run/colorcycle.log" 2>&1 || true
if [ -s "$run/colorcycle.log" ] || [ ! -s "$run/colorcycle-3.png" ]; then
  echo "check-install: no clean frames from the example effect's frei0r module:" >&2
  cat "$run/colorcycle.log" >&2
  exit 1
fi
if nm -D --defined-only "$work/effect-build/frei0r-1/colorcycle.so" | awk '{print $3}' | grep -v '^f0r_' | grep -q .; then
  echo "check-install: the example's frei0r module exports more than f0r_*" >&2
  exit 1
fi
if ldd "$work/effect-build/frei0r-1/colorcycle.so" | grep -E 'libSDL|libMIRVO'; then
  echo "check-install: the example's frei0r module brings the libraries above into its host" >&2
  exit 1
fi

# 1c. The editors' descriptions, each checked against its two modules: the example's, written
#     by the SDK's EDITORS with the installed mirvo-describe, and the tree's installed ones.
check_descriptions() {
  python3 "$top/tests/plugins/editor_descriptions.py" "$@" >"$run/editors.log" 2>&1 || {
    echo "check-install: the editors' descriptions do not fit the modules:" >&2
    cat "$run/editors.log" >&2
    exit 1
  }
}
check_descriptions "$work/effect-build/colorcycle.so" "$work/effect-build/frei0r-1/colorcycle.so" \
  "$work/effect-build/editors/kdenlive" "$work/effect-build/editors/shotcut/qml/filters"
for fx in boxflood wavetext bouncetext; do
  check_descriptions "$(find "$prefix" -path "*/mirvo/modules/$fx.so.0")" \
    "$(find "$prefix" -path "*/frei0r-1/$fx.so")" "$prefix/share/kdenlive" "$prefix/share/shotcut/qml/filters"
done

# 2. and 3. The installed programs, the frei0r module and the examples through pkg-config, from
#    a folder outside the tree.
"$top/tools/smoke.sh" --prefix "$prefix" "$run"

# 4. docs/kora.md's commands for a prefix, as they stand, with none of PKG_CONFIG_PATH,
#    LD_LIBRARY_PATH and CMAKE_PREFIX_PATH set beforehand: run in a folder that has the
#    source tree's build and examples, with HOME a fresh folder (the block installs into
#    $HOME/kora).
docs=$work/docs
mkdir -p "$docs/home"
ln -s "$build" "$docs/build"
ln -s "$top/examples" "$docs/examples"
"$top/tools/doc-block.sh" "$top/docs/kora.md" kora-install > "$work/kora-install.sh"
(cd "$docs" && env -u PKG_CONFIG_PATH -u LD_LIBRARY_PATH -u CMAKE_PREFIX_PATH -u KORA_DIR \
  HOME="$docs/home" bash -euo pipefail "$work/kora-install.sh" >"$work/kora-install.log" 2>&1) || {
  echo "check-install: docs/kora.md's install commands failed as written:" >&2
  cat "$work/kora-install.log" >&2
  exit 1
}
test -f "$docs/home/kora/lib/libKORA.so.0"
echo "check-install: docs/kora.md's install commands run as written"

# 5. No installed file names the build or the source tree.
if grep -rlF -e "$build" -e "$top" "$prefix"; then
  echo "check-install: the files above hold a path of the build or source tree" >&2
  exit 1
fi
echo "check-install: the examples build and run against the installed SDKs; the installed programs run from $run"

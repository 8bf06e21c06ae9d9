#!/usr/bin/env bash
# Installs a built tree into a temporary prefix, then, from a folder outside the source tree:
#  - builds and runs the out-of-tree examples against it (examples/kora_example.cpp against
#    KORA, examples/effect-host against the MIRVO SDK), through the CMake packages and
#    through pkg-config;
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

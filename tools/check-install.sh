#!/usr/bin/env bash
# Installs KORA from a built tree into a temporary prefix, then builds and runs the out-of-tree
# example (examples/) against it twice: through find_package(KORA) and through pkg-config.
#   tools/check-install.sh [build-dir]      (default: build; KORA and KORA_static must be built)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" --component KORA >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libKORA.so' | head -n 1)")
echo "installed KORA into a temporary prefix: $(cd "$prefix" && find . -name 'libKORA.so*' -o -name kora.pc -o -name KORAConfig.cmake | sort | tr '\n' ' ')"

# 0. Every installed header compiles on its own include path.
(cd "$prefix/include" && find KORA -name '*.h' | sort | sed 's/.*/#include <&>/') > "$work/all_headers.cpp"
c++ -std=c++17 -Wall -Wextra -fsyntax-only -I"$prefix/include" "$work/all_headers.cpp"

# 1. CMake package
cmake -S "$top/examples" -B "$work/cmake-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$work/cmake-build" >/dev/null
LD_LIBRARY_PATH="$libdir" "$work/cmake-build/kora_example"

# 2. pkg-config
export PKG_CONFIG_PATH="$libdir/pkgconfig"
c++ -std=c++17 -Wall -Wextra "$top/examples/kora_example.cpp" -o "$work/kora_example_pc" \
  $(pkg-config --cflags --libs kora)
LD_LIBRARY_PATH="$libdir" "$work/kora_example_pc"
echo "check-install: the example builds and runs against the installed KORA"

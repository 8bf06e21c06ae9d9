#!/usr/bin/env bash
# Builds the effects for the browser (Emscripten, Debian's emscripten package) and says how
# to see them: the page, mirvo-web.js and mirvo-web.wasm end up together in one folder;
# kora-demo's page (web/kora/) goes into its kora/ folder.
#   tools/web.sh [BUILD_DIR]          build (default build-web/) and print the address
#   tools/web.sh --serve [BUILD_DIR]  build, then serve the folder on http://127.0.0.1:8000/
# Nothing is downloaded while building (no Emscripten ports).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
serve=0
if [ "${1:-}" = "--serve" ]; then serve=1; shift; fi
dir=$(realpath -m "${1:-$top/build-web}")
if ! command -v emcmake >/dev/null; then
  "$top/tools/deps.sh" test:web
fi
# Debian's emscripten finds its JavaScript tools' acorn only through NODE_PATH.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Flags meant for the native compiler (a Debian package build sets -fstack-protector-strong
# and -z relro, which WebAssembly has no runtime for) must not reach Emscripten's.
unset CFLAGS CXXFLAGS CPPFLAGS LDFLAGS
mkdir -p "$dir"
log="$dir/web-build.log"
if ! { emcmake cmake -S "$top/web" -B "$dir" -DCMAKE_BUILD_TYPE=Release &&
       cmake --build "$dir" -j 2; } >"$log" 2>&1; then
  cat "$log" >&2
  echo "web: the build failed (log: $log)" >&2
  exit 1
fi
size=$(( $(stat -c %s "$dir/mirvo-web.js") + $(stat -c %s "$dir/mirvo-web.wasm") ))
echo "web: built $dir (mirvo-web.js + mirvo-web.wasm: $size bytes)"
kora=$(du -cb "$dir/kora/kora-demo.js" "$dir/kora/kora-demo.wasm" "$dir"/kora/TEXTURES/*.gz | tail -1 | cut -f1)
echo "web: kora-demo's page in $dir/kora/ (program and gzipped textures: $kora bytes)"
if [ "$serve" = 1 ]; then
  echo "web: open http://127.0.0.1:8000/ or http://127.0.0.1:8000/kora/ (Ctrl-C stops the server)"
  cd "$dir" && exec python3 -m http.server 8000 --bind 127.0.0.1
fi
echo "web: to see it, run: (cd $dir && python3 -m http.server 8000) and open http://127.0.0.1:8000/"
echo "web: kora-demo: http://127.0.0.1:8000/kora/"

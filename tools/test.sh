#!/usr/bin/env bash
# Installs what is missing, builds Mirvo and runs the whole test suite through CTest.
#   tools/test.sh              the normal build (build/)
#   tools/test.sh --sanitize   the ASan + UBSan build (build-asan/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/deps.sh"
dir=build flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan flags=(-DCMAKE_BUILD_TYPE=Debug -DMIRVO_SANITIZE=ON -DMIRVO_BUILD_BENCH=OFF)
fi
cmake -S "$top" -B "$top/$dir" "${flags[@]}" >/dev/null
cmake --build "$top/$dir" -j "$(nproc)"
cd "$top/$dir"
ctest --output-on-failure -j "$(nproc)"

#!/usr/bin/env bash
# Installs what is missing, builds Mirvo and runs the whole test suite through CTest.
#   tools/test.sh              the normal build (build/)
#   tools/test.sh --sanitize   the ASan + UBSan build (build-asan/)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/deps.sh" build run test
# Every component and the tests on, whatever an earlier tools/try.sh left in the cache.
dir=build flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  dir=build-asan flags=(-DCMAKE_BUILD_TYPE=Debug -DMIRVO_SANITIZE=ON -DMIRVO_BUILD_BENCH=OFF)
fi
flags+=(-DMIRVO_BUILD_EFFECTS=ON -DMIRVO_BUILD_FREI0R=ON -DMIRVO_BUILD_KORA=ON -DBUILD_TESTING=ON)
# The configure output stays visible: its summary says what was found and built.
cmake -S "$top" -B "$top/$dir" "${flags[@]}"
cmake --build "$top/$dir" -j "$(nproc)"
cd "$top/$dir"
ctest --output-on-failure -j "$(nproc)"

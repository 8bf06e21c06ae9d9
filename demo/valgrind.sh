#!/usr/bin/env bash
# Runs kora-demo under valgrind (memcheck) for a counted, headless run under Xvfb, with the
# suppressions of valgrind.supp (Mesa's and glibc's own reports only).
#   demo/valgrind.sh [build dir] [frames]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
frames=${2:-100}
cd "$here"
xvfb-run -a valgrind --keep-debuginfo=yes --leak-check=full --show-leak-kinds=definite \
  --errors-for-leak-kinds=definite --error-exitcode=1 --suppressions="$here/valgrind.supp" \
  "$build/bin/kora-demo" --size 320x240 --frames "$frames" \
  --click 50:160,60 --press 60:space --press 70:w --press 75:left --press 80:q

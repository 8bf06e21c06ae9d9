#!/usr/bin/env bash
# Memory per forgotten frei0r source in one MLT process: MLT 7.12 never destroys a frei0r
# producer's instance, so an editor that makes and drops sources keeps every one. Makes
# SOURCES sources one after another through MLT's Python bindings (tests/plugins/frei0r_cycles.py),
# each drawing a frame at 320 x 240, and prints the growth of the resident set per source
# after the first 100, for wavetext and bouncetext and for the frei0r-plugins sources
# partik0l and plasma in the same run: the median of ROUNDS rounds, and each effect's
# median as a ratio to partik0l's.
#   bench/plugins/mlt_sources.sh BUILD_DIR [SOURCES] [ROUNDS]   (needs python3-mlt, frei0r-plugins)
set -euo pipefail
build=$(cd "${1:?usage: mlt_sources.sh BUILD_DIR [SOURCES] [ROUNDS]}" && pwd)
sources=${2:-2000}
rounds=${3:-5}
here=$(cd "$(dirname "$0")" && pwd)
export FREI0R_PATH="$build/frei0r-1:/usr/lib/frei0r-1"   # MLT looks nowhere else once it is set
cd "$here/../../player"                # the default font is ../GFX/font.pcx

# service -> kB per source, the median of the rounds
per_source() {
  for ((i = 0; i < rounds; i++)); do
    /usr/bin/python3 "$here/../../tests/plugins/frei0r_cycles.py" "$1" "$sources" 100 2>/dev/null |
      awk -v n=$((sources - 100)) 'NR == 1 { a = $2 } NR == 2 { if ($4 != 0) exit 1; printf "%.2f\n", ($2 - a) / n }' ||
      { echo "mlt_sources: $1 drew blank frames or failed" >&2; exit 1; }
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

printf '%-11s %12s %10s\n' source "kB/source" "/partik0l"
peer=$(per_source partik0l)
for s in partik0l plasma wavetext bouncetext; do
  [ "$s" = partik0l ] && v=$peer || v=$(per_source "$s")
  awk -v s="$s" -v v="$v" -v p="$peer" 'BEGIN { printf "%-11s %12.2f %10.2f\n", s, v, v / p }'
done

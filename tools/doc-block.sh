#!/usr/bin/env bash
# Prints the lines of the first ```sh block after the line "<!-- MARKER: ... -->" of a
# Markdown file, so that a check can run documented commands as they stand. Exits 1 when
# there is no such block or it is empty.
#   tools/doc-block.sh FILE MARKER
set -euo pipefail
block=$(awk -v marker="<!-- $2:" 'index($0, marker) == 1 {found = 1; next}
  found && /^```sh$/ {inside = 1; next}
  inside && /^```$/ {exit}
  inside {print}' "$1")
if [ -z "$block" ]; then
  echo "doc-block: no \`\`\`sh block after <!-- $2: in $1" >&2
  exit 1
fi
printf '%s\n' "$block"

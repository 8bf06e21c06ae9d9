#!/usr/bin/env bash
# Lays out the C and C++ sources with clang-format (Debian's), each by the .clang-format file
# nearest to it: the top-level one for the C-style code, KORA/.clang-format for the class code.
#   tools/format.sh                  reformats every source in place
#   tools/format.sh --check          names each source whose layout differs; exits 1 if one does
#   tools/format.sh [--check] FILE... the same for the given files only
# Build folders (build*, obj-*), debian/ and .git are not sources and are left out.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
check=0
if [ "${1:-}" = "--check" ]; then
  check=1
  shift
fi
clang_format=${CLANG_FORMAT:-clang-format}
command -v "$clang_format" >/dev/null ||
  { echo "format.sh: $clang_format not found (Debian package clang-format)" >&2; exit 2; }

# The sources are laid out by this major version (Debian 12's); another version breaks some
# lines differently, so the check is skipped under it (status 77) rather than failing.
layout_version=14
version=$("$clang_format" --version | sed -n 's/.*version \([0-9]*\).*/\1/p')
if [ "$check" -eq 1 ] && [ "$version" != "$layout_version" ]; then
  echo "format.sh: clang-format $version here, the sources are laid out by $layout_version: not checked"
  exit 77
fi

files=("$@")
if [ ${#files[@]} -eq 0 ]; then
  mapfile -t files < <(cd "$top" && find . \( -path ./.git -o -path ./debian -o -path './build*' \
    -o -path './obj-*' \) -prune -o -type f \( -name '*.c' -o -name '*.h' -o -name '*.cpp' \) \
    -print | sed 's|^\./||' | LC_ALL=C sort)
  cd "$top"
fi

if [ "$check" -eq 0 ]; then
  "$clang_format" -i --style=file "${files[@]}"
  exit 0
fi
unformatted=0
for f in "${files[@]}"; do
  if ! "$clang_format" --dry-run -Werror --style=file "$f" >/dev/null 2>&1; then
    echo "format.sh: $f is not laid out as clang-format lays it out (run tools/format.sh)"
    unformatted=$((unformatted + 1))
  fi
done
if [ "$unformatted" -gt 0 ]; then
  echo "format.sh: $unformatted of ${#files[@]} sources to reformat"
  exit 1
fi
echo "format.sh: all ${#files[@]} sources laid out"

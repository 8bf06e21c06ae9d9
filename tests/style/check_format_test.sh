#!/usr/bin/env bash
# tools/format.sh --check against sources in a scratch folder with the top-level .clang-format:
# one laid out otherwise must be named with status 1, a laid-out one must pass, and the
# reformatting pass must turn the first into the second.
set -euo pipefail
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top/.clang-format" "$work/.clang-format"
printf 'int  twice( int x ){return 2*x;}\n' >"$work/messy.c"
printf 'int twice(int x)\n{\n    return 2 * x;\n}\n' >"$work/tidy.c"
failures=0
# Only under the clang-format version the sources are laid out with (77: skipped).
status=0
bash "$top/tools/format.sh" --check "$work/tidy.c" >/dev/null || status=$?
[ "$status" -ne 77 ] || exit 77

status=0
out=$(bash "$top/tools/format.sh" --check "$work/messy.c" "$work/tidy.c") || status=$?
if [ "$status" -ne 1 ] || ! grep -q "messy.c" <<<"$out" || grep -q "tidy.c is not" <<<"$out"; then
  echo "FAILED: an unformatted source not reported alone (status $status): $out"
  failures=$((failures + 1))
fi
if ! bash "$top/tools/format.sh" --check "$work/tidy.c" >/dev/null; then
  echo "FAILED: a laid-out source reported"
  failures=$((failures + 1))
fi
bash "$top/tools/format.sh" "$work/messy.c"
if ! cmp -s "$work/messy.c" "$work/tidy.c"; then
  echo "FAILED: reformatting gave:"
  cat "$work/messy.c"
  failures=$((failures + 1))
fi
[ "$failures" -eq 0 ] || exit 1
echo "format.sh --check finds an unformatted source"

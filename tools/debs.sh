#!/usr/bin/env bash
# Builds the Debian packages (libkora0, libkora-dev, libmirvo0, libmirvo-dev, mirvo,
# frei0r-plugins-mirvo) from a copy of the tree with dpkg-buildpackage, the test suite run by
# dh_auto_test, then checks them with lintian (no errors allowed). The six .deb files land in
# debs/ (or OUT), their debug-symbol packages in debs/dbgsym/.       tools/debs.sh [OUT]
# DEB_BUILD_OPTIONS=nocheck skips the tests.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=$(mkdir -p "${1:-$top/debs}" && cd "${1:-$top/debs}" && pwd)
"$top/tools/deps.sh" build test dev:effects

# One version: the changelog's must be project()'s.
version=$(sed -n 's/^project(Mirvo VERSION \([0-9.]*\).*/\1/p' "$top/CMakeLists.txt")
changelog=$(dpkg-parsechangelog -l "$top/debian/changelog" -S Version)
if [ "${changelog%%-*}" != "$version" ]; then
  echo "debs: debian/changelog is at $changelog, CMakeLists.txt at $version" >&2
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
src=$work/mirvo-$version
mkdir -p "$src"
tar -C "$top" --exclude-vcs --exclude='./build*' --exclude=./out --exclude=./debs \
  --exclude=./obj-* -cf - . | tar -C "$src" -xf -
(cd "$src" && DEB_BUILD_OPTIONS="parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
  dpkg-buildpackage -us -uc -b)
# The six packages in OUT, so that 'apt-get install ./debs/*.deb' installs those alone; their
# debug symbols (the -dbgsym packages) beside them in OUT/dbgsym/.
rm -rf "$out"/*.deb "$out/dbgsym"
mkdir -p "$out/dbgsym"
for deb in "$work"/*.deb; do
  case "$(basename "$deb")" in
    *-dbgsym_*) cp "$deb" "$out/dbgsym/" ;;
    *) cp "$deb" "$out/" ;;
  esac
done
# Errors fail the build; warnings are shown.
lintian --fail-on error --suppress-tags-from-file /dev/null "$work"/*.changes || {
  echo "debs: lintian found errors" >&2
  exit 1
}
echo "debs: $(cd "$out" && ls *.deb | tr '\n' ' ')in $out"

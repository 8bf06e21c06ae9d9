#!/usr/bin/env bash
# tools/check-packages.sh against altered copies of debian/control and tools/packages/: each
# alteration is a mistake that has happened or could (a test package left out of the control
# file, a <!nocheck> missing, a renamed package in one place only) and must be reported,
# naming the package.
set -euo pipefail
top=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect_fault NAME PACKAGE SED-ON-CONTROL [SED-ON-LIST LIST]
expect_fault() {
  local name=$1 package=$2 on_control=$3 on_list=${4:-} list=${5:-}
  rm -rf "$work/t" && mkdir -p "$work/t"
  cp -r "$top/tools/packages" "$work/t/packages"
  cp "$top"/debian/*.install "$work/t/"
  sed -e "$on_control" "$top/debian/control" >"$work/t/control"
  [ -z "$list" ] || sed -i -e "$on_list" "$work/t/packages/$list.txt"
  local out status=0
  out=$(bash "$top/tools/check-packages.sh" "$work/t/control" "$work/t/packages") || status=$?
  if [ "$status" -ne 1 ] || ! grep -q -- "$package" <<<"$out"; then
    echo "FAILED: $name: status $status, expected 1 and a line naming $package; output:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

# The real files agree (the unaltered copy passes).
bash "$top/tools/check-packages.sh" "$top/debian/control" "$top/tools/packages" >/dev/null ||
  { echo "FAILED: the unaltered files disagree"; failures=$((failures + 1)); }

expect_fault "test package missing from the control file" libglm-dev '/libglm-dev/d'
expect_fault "test package not marked <!nocheck>" melt 's/melt <!nocheck>/melt/'
expect_fault "build package marked <!nocheck>" libpng-dev 's/libpng-dev,/libpng-dev <!nocheck>,/'
expect_fault "build package missing from the control file" libltdl-dev '/libltdl-dev/d'
expect_fault "control names a package no list has" libfoo-dev 's/^\( *\)cmake,/\1cmake,\n\1libfoo-dev,/'
expect_fault "renamed package changed in one place only" freeglut3-dev \
  's/libglut-dev | freeglut3-dev/freeglut3-dev/'
expect_fault "test list lacks a <!nocheck> package" xauth 's/^$//' '/^xauth/d' test
expect_fault "-dev package depends on what the build list lacks" libglu1-mesa-dev 's/^$//' \
  '/^libglu1-mesa-dev/d' build
expect_fault "frei0r package without the one carrying its font" frei0r-plugins-mirvo \
  's/^Depends: libmirvo0 (= ${binary:Version}), /Depends: /'

[ "$failures" -eq 0 ] || exit 1
echo "check-packages finds every disagreement"

#!/usr/bin/env bash
# Checks that debian/control and the package lists in tools/packages/ name the same packages:
#   - every build.txt entry is an unconditional Build-Depends (build-essential is implied);
#   - every test.txt entry is a Build-Depends, marked <!nocheck> unless build.txt has it too;
#   - every Build-Depends is in build.txt or test.txt (as <!nocheck>), or, for the packaging
#     tools (debhelper-compat stands for debhelper), in dev.txt;
#   - what the -dev packages depend on is in build.txt;
#   - frei0r-plugins-mirvo carries the bundled font (usr/share/mirvo/GFX, as debian/*.install
#     places it) or depends on the package that does: its modules link no libMIRVO, so no
#     shared-library dependency brings it, and installed alone by an editor's user they must
#     draw (the programs of mirvo link libMIRVO, whose package carries the font).
# Alternatives ("a | b") must be written alike, in the same order. Prints one line per
# disagreement and exits 1 if there is one.
#   tools/check-packages.sh [CONTROL [PACKAGES-DIR]]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
control=${1:-$top/debian/control}
lists=${2:-$top/tools/packages}

# The first field of each line of a list, one per line.
list() { sed -e 's/#.*//' "$lists/$1.txt" | awk 'NF { print $1 }' | sort -u; }

# One relation field of a control paragraph ("Build-Depends" of the source, or "Depends" of a
# binary package) as lines "name[|name...] profile", with versions and architectures dropped
# and profile "-" or the <...> restriction without spaces.
field() {
  awk -v want="$1" -v pkg="${2:-}" '
    /^$/ { inpara = 0; next }
    /^(Source|Package):/ { inpara = (pkg == "" ? $1 == "Source:" : $2 == pkg) }
    /^[^ \t]/ { infield = inpara && $1 == want ":"; if (infield) { sub(/^[^:]*:/, ""); print }; next }
    infield { print }
  ' "$control" | tr '\n' ' ' | tr ',' '\n' | awk '
    NF {
      profile = "-"
      if (match($0, /<[^>]*>/)) { profile = substr($0, RSTART, RLENGTH); gsub(/ /, "", profile) }
      gsub(/\([^)]*\)|\[[^]]*\]|<[^>]*>|[ \t]/, "")
      if ($0 !~ /^\$\{/) print $0, profile
    }'
}

build=$(list build | grep -vx build-essential)
test=$(list test)
dev=$(list dev)
deps=$(field Build-Depends)
always=$(awk '$2 == "-" { print $1 }' <<<"$deps" | sed 's/^debhelper-compat$/debhelper/' | sort -u)
nocheck=$(awk '$2 == "<!nocheck>" { print $1 }' <<<"$deps" | sort -u)
other=$(awk '$2 != "-" && $2 != "<!nocheck>" { print $1 " " $2 }' <<<"$deps")

has() { grep -qxF -- "$1" <<<"$2"; }
faults=0
fault() { echo "check-packages: $*"; faults=$((faults + 1)); }

[ -z "$other" ] || fault "Build-Depends with a restriction other than <!nocheck>: $other"
for p in $build; do
  has "$p" "$always" || fault "$p (build.txt) is not in $control's Build-Depends"
done
for p in $test; do
  has "$p" "$build" && continue
  if has "$p" "$always"; then
    fault "$p is needed by the tests only (test.txt): mark it <!nocheck> in $control"
  elif ! has "$p" "$nocheck"; then
    fault "$p (test.txt) is not in $control's Build-Depends as <!nocheck>"
  fi
done
for p in $always; do
  has "$p" "$build" || has "$p" "$dev" || fault "Build-Depends $p is in neither build.txt nor dev.txt"
done
for p in $nocheck; do
  has "$p" "$build" && fault "Build-Depends $p <!nocheck> is needed to build (build.txt): drop <!nocheck>"
  has "$p" "$test" || fault "Build-Depends $p <!nocheck> is not in test.txt"
done
for pkg in $(awk '/^Package: .*-dev$/ { print $2 }' "$control"); do
  for p in $(field Depends "$pkg" | awk '{ print $1 }'); do
    [[ $p == lib*0 ]] && continue  # the package's own library, built here
    has "$p" "$build" || fault "$pkg depends on $p, which build.txt lacks"
  done
done
font=$(cd "$(dirname "$control")" && grep -l '^usr/share/mirvo/GFX' ./*.install | sed 's|^\./||; s|\.install$||')
if [ "$font" != frei0r-plugins-mirvo ] &&
  ! has "$font" "$(field Depends frei0r-plugins-mirvo | awk '{ print $1 }')"; then
  fault "frei0r-plugins-mirvo draws with the font of $font but does not depend on it"
fi
[ "$faults" -eq 0 ] || exit 1
echo "check-packages: $control and $lists agree"

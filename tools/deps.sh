#!/usr/bin/env bash
# Installs the Debian packages of the given lists (tools/packages/LIST.txt) that are not
# installed yet; LIST:COMPONENT takes only the lines of that component. Runs
# 'apt-get update' only when something is missing; does nothing when all is there.
#   tools/deps.sh build:effects run:effects     what building and running rasterwave needs
#   tools/deps.sh build run test                what the whole test suite needs
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -gt 0 ] || set -- build run test
wanted=()
for request in "$@"; do
  list=${request%%:*} component=""
  [ "$list" = "$request" ] || component=${request#*:}
  file="$here/packages/$list.txt"
  [ -f "$file" ] || { echo "deps: no package list $file" >&2; exit 2; }
  mapfile -t -O "${#wanted[@]}" wanted < <(sed -e 's/#.*//' "$file" |
    awk -v c="$component" 'NF && (c == "" || index(" " $0 " ", " " c " ")) { print $1 }')
done
missing=()
for p in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null

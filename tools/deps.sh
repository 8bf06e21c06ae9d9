#!/usr/bin/env bash
# Installs the Debian packages of the given lists (tools/packages/LIST.txt) that are not
# installed yet; LIST:COMPONENT takes only the lines of that component. Runs
# 'apt-get update' only when something is missing; does nothing when all is there.
# An entry "a|b" is met by either; when neither is there, the first one this release
# has is installed (Debian renamed a few packages between releases).
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

# What is installed, by name and by what it provides (sdl12-compat provides the SDL 1.2 names).
declare -A installed=()
while read -r name provides; do
  installed[$name]=1
  for p in ${provides//,/ }; do
    [[ $p == [a-z0-9]* ]] && installed[$p]=1
  done
done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package} ${Provides}\n' 2>/dev/null |
  awk '$1 == "ii" { $1 = ""; print }' | sed -e 's/([^)]*)//g' -e 's/:[a-z0-9]*//g')

missing=()
for entry in $(printf '%s\n' "${wanted[@]}" | sort -u); do
  met=0
  for p in ${entry//|/ }; do
    [ -z "${installed[$p]:-}" ] || met=1
  done
  [ "$met" -eq 1 ] || missing+=("$entry")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "deps: missing ${missing[*]}; apt-get update"
$sudo apt-get update -q
# Of alternatives, the first that this release can install.
chosen=()
for entry in "${missing[@]}"; do
  pick=""
  for p in ${entry//|/ }; do
    if apt-get install -s -qq "$p" >/dev/null 2>&1; then
      pick=$p
      break
    fi
  done
  [ -n "$pick" ] || { echo "deps: this release has none of ${entry//|/, }" >&2; exit 1; }
  chosen+=("$pick")
done
echo "deps: installing ${chosen[*]} (with what they need)"
# apt's own output: each package fetched and set up is one line in a log, and on a
# terminal apt draws its progress bar below.
fancy=0
[ -t 1 ] && fancy=1
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -o Dpkg::Progress-Fancy=$fancy "${chosen[@]}"
echo "deps: done"

#!/usr/bin/env bash
# Tries Mirvo on a fresh Debian system: makes a minimal Debian root of RELEASE with
# debootstrap (git and sudo only, the release's updates and security suites on, from the
# Debian mirror in this machine's apt sources), clones the current commit of this
# repository into it (uncommitted changes are not part of it), and runs, as an ordinary
# user who may use sudo, the README's two commands (tools/try.sh, then tools/test.sh) or the
# command given, from the clone. Each stage's time is printed. Then the root is deleted.
#
#   tools/fresh-root.sh [--keep] [--dir DIR] [--in DIR] [--out DIR] RELEASE [COMMAND [ARG...]]
#     RELEASE   bookworm (Debian 12) or trixie (Debian 13)
#     --keep    keep the root afterwards (for a look inside; delete it by hand)
#     --dir     make the root in DIR (default: a new folder under /var/tmp)
#     --in      copy DIR's files into the root as ~/in (the user's, outside the clone)
#     --out     copy what the command left in ~/out (the user's, outside the clone) to DIR
#
# Needs root (runs itself through sudo otherwise). Nothing is kept between runs: every run
# downloads the packages anew, as a fresh machine would. The exit status is the command's.
set -euo pipefail
# Read whole before it runs: the script may change on disk (a checkout) while a run takes minutes.
{
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "$(id -u)" -ne 0 ]; then
  exec sudo -- "$0" "$@"
fi

keep=0 dir="" in="" out=""
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1 ;;
    --dir) dir=$2; shift ;;
    --in) in=$(cd "$2" && pwd); shift ;;
    --out) out=$(mkdir -p "$2" && cd "$2" && pwd); shift ;;
    -*) echo "usage: tools/fresh-root.sh [--keep] [--dir DIR] [--in DIR] [--out DIR] RELEASE [COMMAND...]" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
[ $# -ge 1 ] || { echo "usage: tools/fresh-root.sh [--keep] [--dir DIR] [--in DIR] [--out DIR] RELEASE [COMMAND...]" >&2; exit 2; }
release=$1
shift
case "$release" in
  bookworm | trixie) ;;
  *) echo "fresh-root: RELEASE is bookworm or trixie, not '$release'" >&2; exit 2 ;;
esac
if [ $# -gt 0 ]; then
  command=$(printf '%q ' "$@")
else
  command="tools/try.sh && tools/test.sh"
fi

stage_start=$SECONDS
stage() {  # stage NAME: prints the time of the stage before and starts the next
  local now=$SECONDS
  [ -z "${stage_name:-}" ] || printf 'fresh-root: %s took %d min %02d s\n' "$stage_name" \
    $(((now - stage_start) / 60)) $(((now - stage_start) % 60))
  stage_name=$1 stage_start=$now
  [ -z "$1" ] || echo "fresh-root: == $1"
}

# The Debian mirror of this machine's apt sources (one-line and deb822 formats), and the
# security archive beside it.
mirror=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
  2>/dev/null | grep -oE '(https?|ftp)://[^ ]*/debian/?( |$)' | head -n1 | tr -d ' ') || true
mirror=${mirror:-http://deb.debian.org/debian}
mirror=${mirror%/}
security=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources \
  2>/dev/null | grep -oE '(https?|ftp)://[^ ]*/debian-security/?( |$)' | head -n1 | tr -d ' ') || true
security=${security:-${mirror%/debian}/debian-security}
security=${security%/}

if ! command -v debootstrap >/dev/null; then
  stage "installing debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y debootstrap
fi

if [ -n "$dir" ]; then
  mkdir -p "$dir"
  [ -z "$(ls -A "$dir")" ] || { echo "fresh-root: $dir is not empty" >&2; exit 2; }
  root=$(cd "$dir" && pwd)
else
  root=$(mktemp -d "/var/tmp/mirvo-$release.XXXXXX")
fi
chmod 755 "$root"

# Every mount is undone on every way out (the command's end, a failure, Ctrl-C); the root is
# deleted only when nothing is mounted under it any more, and never across file systems.
mounted=()
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  set +e
  stage ""
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
  done
  # What debootstrap mounted itself when it was interrupted, deepest first.
  awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r |
    while read -r m; do umount "$m" 2>/dev/null || umount -l "$m"; done
  if grep -qF " $root/" /proc/self/mounts; then
    echo "fresh-root: something is still mounted under $root; not deleting it" >&2
  elif [ "$keep" -eq 1 ]; then
    echo "fresh-root: the root is kept in $root"
  else
    rm -rf --one-file-system "$root"
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
mount_in() {  # mount_in TARGET MOUNT-ARGUMENTS...
  local target=$root$1
  shift
  mkdir -p "$target"
  mount "$@" "$target"
  mounted+=("$target")
}

echo "fresh-root: Debian $release from $mirror (security: $security) in $root"
stage "debootstrap"
debootstrap --variant=minbase --include=git,sudo --components=main "$release" "$root" "$mirror"

stage "set-up"
cat >"$root/etc/apt/sources.list" <<EOF
deb $mirror $release main
deb $mirror $release-updates main
deb $security $release-security main
EOF
# This machine's clock and its idea of archive freshness hold inside as well.
grep -hE 'Acquire::Check-(Valid-Until|Date)' /etc/apt/apt.conf.d/* 2>/dev/null \
  >"$root/etc/apt/apt.conf.d/99fresh-root" || rm -f "$root/etc/apt/apt.conf.d/99fresh-root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "mirvo-$release" >"$root/etc/hostname"
mount_in /proc -t proc proc
mount_in /sys -t sysfs sysfs
mount_in /dev --bind /dev
mount_in /dev/pts --bind /dev/pts
mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
chroot "$root" useradd --create-home --shell /bin/bash mirvo
chroot "$root" runuser -u mirvo -- mkdir /home/mirvo/out
if [ -n "$in" ]; then
  cp -a "$in" "$root/home/mirvo/in"
  chroot "$root" chown -R mirvo:mirvo /home/mirvo/in
fi
echo "mirvo ALL=(ALL) NOPASSWD: ALL" >"$root/etc/sudoers.d/mirvo"
chmod 440 "$root/etc/sudoers.d/mirvo"

stage "clone"
commit=$(git -C "$top" rev-parse HEAD)
[ -z "$(git -C "$top" status --porcelain --untracked-files=no)" ] ||
  echo "fresh-root: the work tree has uncommitted changes; they are not in the clone"
git clone -q --no-hardlinks "$top" "$root/home/mirvo/mirvo"
git -C "$root/home/mirvo/mirvo" checkout -q --detach "$commit"
chroot "$root" chown -R mirvo:mirvo /home/mirvo/mirvo
echo "fresh-root: commit $(git -C "$top" log -1 --format='%h %s' "$commit")"

stage "command: $command"
status=0
chroot "$root" /usr/sbin/runuser -u mirvo -- /usr/bin/env -i HOME=/home/mirvo USER=mirvo \
  LOGNAME=mirvo SHELL=/bin/bash TERM="${TERM:-dumb}" \
  PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin \
  /bin/bash -c "cd ~/mirvo && $command" || status=$?
echo "fresh-root: the command exited with status $status"
if [ -n "$out" ]; then
  cp -a "$root/home/mirvo/out/." "$out/"
  chown -R --reference="$out" "$out"
  echo "fresh-root: ~/out copied to $out"
fi
exit "$status"
}

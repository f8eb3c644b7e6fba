#!/usr/bin/env bash
# Runs the project's test command on a fresh Debian 12, as a new user's
# machine has it: a minimal system with only the compiler, make, CMake,
# GoogleTest, Google Benchmark and libjpeg, into which ./test.sh must
# install everything else itself.
#
#   scripts/fresh-debian.sh [FOLDER]     (as root; FOLDER default /tmp/quillmere-bookworm)
#
# 1. debootstrap --variant=minbase bookworm into FOLDER (kept between runs:
#    delete it for a new one);
# 2. apt-get installs g++ make cmake libgtest-dev libbenchmark-dev
#    libjpeg-dev there;
# 3. a clone of this repository's HEAD goes to FOLDER/root/quillmere, and
#    ./test.sh runs in it through chroot, with /proc, /dev and /sys mounted.
#
# Exit status: that of ./test.sh; 2 when the system could not be made.
set -euo pipefail

root="${1:-/tmp/quillmere-bookworm}"
repo="$(cd "$(dirname "$0")/.." && pwd)"
if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-debian: run as root (debootstrap and chroot need it)" >&2
  exit 2
fi
if ! command -v debootstrap >/dev/null; then
  apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null
fi
mirror="$(sed -n 's/^URIs: *\(http[^ ]*\/debian\)$/\1/p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
  head -n 1)"
mirror="${mirror:-http://deb.debian.org/debian}"

if [ ! -x "$root/usr/bin/apt-get" ]; then
  debootstrap --variant=minbase bookworm "$root" "$mirror" || exit 2
fi
mounts=(proc sys dev dev/pts)
cleanup() {
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "$root/${mounts[i]}" 2>/dev/null || true
  done
}
trap cleanup EXIT
mount -t proc proc "$root/proc"
mount -t sysfs sys "$root/sys"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
cp /etc/resolv.conf "$root/etc/resolv.conf"

in_root() { chroot "$root" env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }
in_root apt-get update -qq
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
  g++ make cmake libgtest-dev libbenchmark-dev libjpeg-dev >/dev/null || exit 2

rm -rf "$root/root/quillmere"
git clone -q "$repo" "$root/root/quillmere"
in_root bash -c 'cd /root/quillmere && ./test.sh'

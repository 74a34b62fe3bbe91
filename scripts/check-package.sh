#!/usr/bin/env bash
# Builds the Debian package and installs it with apt-get into a fresh Debian 12 root
# (debootstrap, minbase), then runs both programs there: proof that the package declares
# every dependency it needs. Needs root and Debian's package archive; takes a few minutes.
#
#   scripts/check-package.sh [ROOT]     ROOT: where the fresh system goes (default: a temp folder,
#                                       removed afterwards)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="${TOVIK_BUILD_DIR:-$here/build}"
mirror="${TOVIK_DEBIAN_MIRROR:-http://deb.debian.org/debian}"

if [ "$(id -u)" -ne 0 ]; then
  echo "check-package: needs root (debootstrap and chroot)" >&2
  exit 2
fi
command -v debootstrap >/dev/null || { apt-get install -y -qq debootstrap >/dev/null; }

root="${1:-}"
cleanup_root=""
if [ -z "$root" ]; then
  root=$(mktemp -d /tmp/tovik-clean-root.XXXXXX)
  cleanup_root="$root"
fi
packages=$(mktemp -d)
mounted=""
cleanup() {
  if [ -n "$mounted" ]; then umount "$root/proc" 2>/dev/null || true; fi
  rm -rf "$packages"
  if [ -n "$cleanup_root" ]; then rm -rf "$cleanup_root"; fi
}
trap cleanup EXIT

"$here/scripts/build.sh" >/dev/null
(cd "$build" && cpack -G DEB -B "$packages" >/dev/null)
deb=$(ls "$packages"/tovik_*.deb)
echo "check-package: $(basename "$deb")"

if [ ! -x "$root/usr/bin/apt-get" ]; then
  echo "check-package: making a fresh Debian 12 in $root"
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$packages/debootstrap.log" 2>&1 \
    || { tail -20 "$packages/debootstrap.log" >&2; exit 1; }
fi
mount -t proc proc "$root/proc"
mounted=1
cp "$deb" "$root/tmp/"
cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
  sh -c "apt-get update -qq && apt-get install -y -qq /tmp/$(basename "$deb")" >"$packages/install.log" 2>&1 \
  || { tail -30 "$packages/install.log" >&2; exit 1; }
echo "check-package: installed with apt-get"

# Both programs start in the fresh system: the libraries resolve and the archivers are found.
chroot "$root" /usr/bin/env -i PATH=/usr/bin:/bin LANG=C.UTF-8 sh -c '
  set -e
  tovik --version
  tovik-arc --version
  tovik-arc libs | grep -q "UNLHA32.DLL.*/usr/lib/tovik/archivers"
  mkdir -p /tmp/s && cd /tmp/s && printf "hello\n" > hello.txt && tar czf /tmp/s.tgz hello.txt
  tovik-arc list /tmp/s.tgz | grep -q hello.txt
  for lib in /usr/bin/tovik /usr/lib/tovik/archivers/*.so; do
    if ldd "$lib" | grep -q "not found"; then echo "unresolved: $lib"; ldd "$lib" | grep "not found"; exit 1; fi
  done
  test -f /usr/share/mime/packages/tovik.xml
  grep -q "application/x-java-web-archive" /usr/share/mime/globs2
'
echo "check-package: both programs run in the fresh system"

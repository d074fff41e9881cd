#!/usr/bin/env bash
# Builds the Debian package for each release in a clean root of that release, checks it with
# that release's lintian, then installs it in a fresh root of the same release, starts it
# there as a user and purges it. A package built on one release links against that release's
# libraries and takes its dependencies from them, so each release gets its own.
#
#   packaging/build-debs.sh [RELEASE...]     (as root; default: bookworm trixie)
#
# The packages land in build/debs/RELEASE/. The roots are made with debootstrap and kept as
# tarballs in $LUMORRA_ROOTS (default ~/.cache/lumorra-roots): a bare one per release, and one
# with the build's packages installed, so a second run skips the downloads. Delete them to
# start from the archive again. $LUMORRA_MIRROR picks the Debian mirror.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
releases=("$@")
[ ${#releases[@]} -gt 0 ] || releases=(bookworm trixie)
cache=${LUMORRA_ROOTS:-$HOME/.cache/lumorra-roots}
mirror=${LUMORRA_MIRROR:-http://deb.debian.org/debian}
# The README's build packages and what packaging needs, with lintian to check the result.
build_packages="cmake g++ make pkg-config libsdl2-dev libsdl2-ttf-dev libsdl2-mixer-dev \
  libjpeg-dev libsndfile1-dev libebur128-dev libstb-dev libfontconfig-dev fonts-dejavu-core \
  scdoc file dpkg-dev lintian"

[ "$(id -u)" = 0 ] || { echo "build-debs.sh: needs root (debootstrap, chroot)" >&2; exit 1; }
command -v debootstrap >/dev/null || { echo "build-debs.sh: needs debootstrap" >&2; exit 1; }
mkdir -p "$cache"

roots=()
cleanup() {
  for r in "${roots[@]}"; do
    umount "$r/proc" 2>/dev/null || true
    rm -rf --one-file-system "$r"
  done
}
trap cleanup EXIT

# Sets root to a new scratch directory unpacked from a cached root, with /proc and the host's
# resolver.
unpack_root() {
  root=$(mktemp -d /var/tmp/lumorra-root.XXXXXX)
  roots+=("$root")
  tar -C "$root" -xf "$1"
  chmod 755 "$root"  # not mktemp's 700: the root's users must reach /
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  mount -t proc proc "$root/proc"
}

in_root() {
  local root=$1
  shift
  chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# Makes the tarball $1 from a root that $2 prepares, unless it is already there.
cached_root() {
  local tarball=$1 prepare=$2 root
  [ -f "$tarball" ] && return
  root=$(mktemp -d /var/tmp/lumorra-root.XXXXXX)
  roots+=("$root")
  "$prepare" "$root"
  chmod 755 "$root"
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$root"/var/cache/apt/archives/*.deb
  tar -C "$root" -cf "$tarball.part" .
  mv "$tarball.part" "$tarball"
}

seconds() { echo $(($(date +%s) - $1)); }

for release in "${releases[@]}"; do
  start=$(date +%s)
  base=$cache/base-$release.tar
  make_base() { debootstrap --variant=minbase "$release" "$1" "$mirror" >/dev/null; }
  cached_root "$base" make_base
  # The build root is kept per list of packages: a changed list makes a new one.
  key=$(echo "$build_packages" | sha256sum | cut -c1-12)
  builder=$cache/build-$release-$key.tar
  make_builder() {
    tar -C "$1" -xf "$base"
    chmod 755 "$1"
    cp /etc/resolv.conf "$1/etc/resolv.conf"
    mount -t proc proc "$1/proc"
    # shellcheck disable=SC2086  # one word per package
    in_root "$1" sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends \
      $build_packages >/dev/null"
  }
  cached_root "$builder" make_builder
  echo "== $release: roots ready in $(seconds "$start") s"

  # The build, from the files git tracks as they are in the working tree.
  start=$(date +%s)
  unpack_root "$builder"
  mkdir "$root/src"
  git ls-files -z | tar --null -T - -cf - | tar -C "$root/src" -xf -
  in_root "$root" sh -ec 'cd /src
    cmake --preset release -DLUMORRA_TESTS=OFF -DLUMORRA_BENCHMARKS=OFF >/dev/null
    cmake --build --preset release >/dev/null
    cd build/release && cpack >/dev/null'
  deb=$(cd "$root/src/build/release" && ls lumorra_*.deb)
  in_root "$root" lintian --fail-on error,warning "/src/build/release/$deb"
  out=$source_dir/build/debs/$release
  mkdir -p "$out"
  cp "$root/src/build/release/$deb" "$out/"
  echo "== $release: built and checked in $(seconds "$start") s: build/debs/$release/$deb"

  # A fresh root of the same release: install, start as a user, purge.
  start=$(date +%s)
  unpack_root "$base"
  cp "$out/$deb" "$root/tmp/"
  in_root "$root" sh -c "apt-get update -qq && apt-get install -y -qq --no-install-recommends \
    /tmp/$deb >/dev/null"
  version=$(in_root "$root" setpriv --reuid=nobody --regid=nogroup --clear-groups \
    /usr/games/lumorra --version)
  echo "$version"
  [ "$version" = "lumorra $(dpkg-deb --field "$out/$deb" Version)" ] ||
    { echo "build-debs.sh: $release: unexpected version '$version'" >&2; exit 1; }
  in_root "$root" apt-get purge -y -qq lumorra >/dev/null
  ! in_root "$root" dpkg -s lumorra >/dev/null 2>&1 || { echo "still installed" >&2; exit 1; }
  echo "== $release: installed, started and purged in $(seconds "$start") s"
  echo "   $(stat -c %s "$out/$deb") bytes, Installed-Size $(dpkg-deb --field "$out/$deb" \
    Installed-Size) KiB"
  echo "   Depends: $(dpkg-deb --field "$out/$deb" Depends)"
done

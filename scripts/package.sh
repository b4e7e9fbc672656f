#!/usr/bin/env bash
# Builds the Debian package fonix_VERSION_ARCH.deb from the release build and checks it with
# lintian. Usage: package.sh [BUILD_DIR] (default build/release); the .deb is written there.
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD
build=${1:-build/release}
debian=$src/packaging/debian

# The release build, installed under /usr (the library folder is chosen at configure time).
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=g++ -DFONIX_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build" -j "${FONIX_JOBS:-$(nproc)}"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
root=$stage/root
DESTDIR=$root cmake --install "$build" --strip >/dev/null
chmod 755 "$root"

version=$(dpkg-parsechangelog -l "$debian/changelog" -S Version)
arch=$(dpkg --print-architecture)
doc=$root/usr/share/doc/fonix
mkdir -p "$doc"
install -m 644 "$debian/copyright" "$doc/copyright"
gzip -9n -c "$debian/changelog" >"$doc/changelog.gz"
chmod 644 "$doc/changelog.gz"
mkdir -p "$root/usr/share/lintian/overrides"
grep -v '^#' "$debian/lintian-overrides" >"$root/usr/share/lintian/overrides/fonix"
# Everything readable by all, nothing writable but by its owner (the staging folder's umask
# must not reach the package).
chmod -R u+rwX,go+rX,go-w "$root"

# The libraries the executables link, as Debian names them.
mkdir -p "$stage/debian" "$root/DEBIAN"
printf 'Source: fonix\n\nPackage: fonix\nArchitecture: any\n' >"$stage/debian/control"
mapfile -t elves < <(find "$root/usr/bin" "$root/usr/lib" -type f -perm -u+x 2>/dev/null | sed 's/^/-e/')
shlibs=$(cd "$stage" && dpkg-shlibdeps -O "${elves[@]}" | sed -n 's/^shlibs:Depends=//p')
[ -n "$shlibs" ] || { echo "package.sh: dpkg-shlibdeps found no libraries" >&2; exit 1; }

size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
grep -v '^#' "$debian/control.in" |
  sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" -e "s#@SHLIBS@#$shlibs#" \
    >"$root/DEBIAN/control"
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"

deb=$build/fonix_${version}_${arch}.deb
rm -f "$build"/fonix_*.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null
echo "package.sh: $deb"
# Errors fail the build; warnings are shown.
lintian --fail-on error "$deb"

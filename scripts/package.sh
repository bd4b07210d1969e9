#!/usr/bin/env bash
# Builds the Debian packages as a distribution builds them: a Release build without tests,
# configured for /usr (so that the libraries go to the multiarch folder) with Debian's build
# flags (hardening included), packaged by CPack.
#   scripts/package.sh [BUILD_DIR]    BUILD_DIR defaults to build-deb/
# Leaves liblumbrook1, liblumbrook-dev, lumbrook, lumbrook-browser and python3-lumbrook .deb
# files in BUILD_DIR and prints their names. scripts/install-deps.sh installs what the build needs.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$src/build-deb}
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CFLAGS="$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CFLAGS CXXFLAGS LDFLAGS
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMBROOK_TESTS=OFF \
    -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$build"
rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)

# CPack gives a package of shared libraries maintainer scripts that call ldconfig; dpkg's
# ldconfig trigger, which the package activates, does that work, so the scripts go.
deb=$(ls "$build"/liblumbrook1_*.deb)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -R "$deb" "$unpacked"
rm -f "$unpacked/DEBIAN/postinst" "$unpacked/DEBIAN/postrm"
dpkg-deb --root-owner-group -Zxz -b "$unpacked" "$deb" >/dev/null
ls "$build"/*.deb

#!/usr/bin/env bash
# Builds the Debian package magtune_VERSION_ARCH.deb from the release preset:
# prefix /usr, the multiarch library folder, Debian's hardening build flags,
# then the tests of that build and cpack. The package lands in build/release.
# usage: scripts/package.sh [--no-tests]
set -euo pipefail
cd "$(dirname "$0")/.."
tests=ON
if [[ "${1:-}" == "--no-tests" ]]; then
    tests=OFF
fi
scripts/install-deps.sh --package

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
# The prefix map only rewrites the debug information, which the package
# strips; without it the compiler cache serves every checkout of the tree.
cxxflags=${cxxflags//-ffile-prefix-map=$PWD=./}
ldflags=$(dpkg-buildflags --get LDFLAGS)

cmake --preset release \
    -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_INSTALL_LIBDIR="lib/$multiarch" \
    -DMAGTUNE_BUILD_GUI=ON \
    -DMAGTUNE_BUILD_BENCH=OFF \
    -DMAGTUNE_BUILD_TESTS=$tests \
    -DCMAKE_CXX_FLAGS="$cxxflags" \
    -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags"
cmake --build --preset release -j "$(nproc)"
if [[ $tests == ON ]]; then
    ctest --preset release -j "$(nproc)"
fi
rm -f build/release/magtune_*.deb
(cd build/release && cpack -G DEB)
deb=$(ls build/release/magtune_*.deb)
echo "$deb"
lintian --fail-on error,warning --display-info "$deb"

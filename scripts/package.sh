#!/usr/bin/env bash
# Builds the Debian package of Kelvarin (cpack -G DEB) in build/ (or in
# $KELVARIN_PACKAGE_BUILD_DIR) and checks it with lintian when lintian is installed.
# The package's dependencies come from the linked libraries (dpkg-shlibdeps).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KELVARIN_PACKAGE_BUILD_DIR:-$root/build}

# dpkg-dev brings dpkg-shlibdeps, file lets CPack tell programs from data.
"$root/scripts/install-deps.sh" dpkg-dev file
# Only the two programs go into the package: build those, and let cpack's
# install step skip building everything else (tests, benchmarks, stand-ins).
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON
cmake --build "$build" -j"$(nproc)" --target kelvarin kelvarin-cli
rm -f "$build"/kelvarin_*.deb
(cd "$build" && cpack -G DEB)

deb=$(ls "$build"/kelvarin_*.deb)
echo "Package: $deb"
if command -v lintian >/dev/null 2>&1; then
  lintian --fail-on error "$deb"
else
  echo "lintian is not installed: the package was not checked (apt-get install lintian)."
fi

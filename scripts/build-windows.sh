#!/usr/bin/env bash
# Builds the programs for 64-bit Windows on this Debian machine and tests
# them under Wine:
#   1. Qt, libxml2, libxlsxwriter, qpdf (with libjpeg) and GoogleTest are
#      cross-built from Debian's own sources into a cache folder
#      ($VELMORA_WINDOWS_CACHE, else ~/.cache/velmora/windows), which later
#      runs reuse: the first run takes about 40 minutes on two cores, Qt
#      most of it; a later one minutes.
#   2. The project is built with the "windows" preset into build-windows/.
#   3. Its tests run under Wine (scripts/windows/test-under-wine.sh), in a
#      Wine prefix of their own in a temporary folder, removed afterwards,
#      on an X server of their own (Xvfb and openbox) as Wine's display.
#   4. The zip and the installer are made, and the installer is tried
#      under Wine.
# Any failure makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
cache=${VELMORA_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora/windows}
export VELMORA_WINDOWS_PREFIX=$cache/prefix

scripts/ensure-packages.sh windows
scripts/windows/build-libraries.sh "$cache"

echo "== Windows build (build-windows/)"
cmake --preset windows >/dev/null
cmake --build --preset windows -- --quiet | sed '/^ninja: no work to do\.$/d'

echo "== Windows tests under Wine"
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/wine
cleanup() {
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
tests/x11/with_x_session.sh scripts/windows/test-under-wine.sh

echo "== Windows zip"
version=$(sed -n 's/^project(velmora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
scripts/windows/package.sh "$version"

echo "== Windows installer"
scripts/windows/make-installer.sh "$version"
tests/windows/installer_test.sh "build-windows/velmora-$version-win64" "build-windows/velmora-$version-win64-setup.exe"

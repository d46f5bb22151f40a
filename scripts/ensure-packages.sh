#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, once: when they
# are all present it does nothing and prints nothing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  libxml2-dev libxml2-utils
  libgtest-dev libgmock-dev libbenchmark-dev bc
  qt6-base-dev libgl-dev qt6-translations-l10n
  libpoppler-qt6-dev poppler-utils
  fonts-noto-cjk fonts-liberation fonts-urw-base35
  # The Kai face the form's "仿宋_GB2312" prints in.
  fonts-arphic-ukai
  xvfb openbox xdotool x11-utils
  # Printing tests: a CUPS of their own (cupsd, lpadmin/lpstat, and
  # pdftopdf, which makes the copies and picks the pages of a job). Its
  # queues use a backend of the tests, not cups-pdf, whose configuration
  # is fixed in /etc/cups and which refuses to run but as root.
  cups-daemon cups-client cups-filters
  clang libclang-rt-14-dev
  # The package and its desktop integration: icons and manual pages built,
  # the package checked, the MIME type and the entry tried in a scratch
  # database, the installed program opened as a desktop would.
  librsvg2-bin scdoc dpkg-dev lintian appstream desktop-file-utils
  shared-mime-info libglib2.0-bin xdg-utils libfile-mimeinfo-perl man-db
  libcli11-dev nlohmann-json3-dev libxlsxwriter-dev unzip libc-l10n
  # The PDF's own bytes (character maps) and talking to the print system.
  libqpdf-dev libcups2-dev
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq >/dev/null
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

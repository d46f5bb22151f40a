#!/usr/bin/env bash
# Installs the Debian packages (Debian 12 "bookworm") that building the
# programs needs ("programs", what ./run.sh asks for), that building and
# running every test and benchmark needs as well ("all", the default, what
# ./test.sh asks for), or that the Windows build needs ("windows", what
# scripts/build-windows.sh asks for). When they are all present it does
# nothing and prints nothing. apt-get needs root: run as root or with sudo
# at hand.
set -euo pipefail
set_name=${1:-all}

programs=(
  g++ cmake ninja-build pkg-config
  libxml2-dev qt6-base-dev libgl-dev qt6-translations-l10n libpoppler-qt6-dev
  libcli11-dev nlohmann-json3-dev libxlsxwriter-dev
  # The PDF's own bytes (character maps) and talking to the print system.
  libqpdf-dev libcups2-dev
  # The faces the window and the form are drawn in; the Kai face is the
  # form's "仿宋_GB2312".
  fonts-noto-cjk fonts-liberation fonts-urw-base35 fonts-arphic-ukai
  # Icons and manual pages, which the build makes; system messages in the
  # user's language.
  librsvg2-bin scdoc libc-l10n
)
tests=(
  libxml2-utils libgtest-dev libgmock-dev libbenchmark-dev bc poppler-utils unzip
  xvfb openbox xdotool x11-utils
  # Typing with a screen reader's bridge on (bench/typing_with_screen_reader.sh):
  # a D-Bus session of its own, the accessibility bus and registry, and a
  # listener in Python standing in for the screen reader.
  dbus-daemon at-spi2-core python3-gi gir1.2-atspi-2.0
  # Printing tests: a CUPS of their own (cupsd, lpadmin/lpstat, and
  # pdftopdf, which makes the copies and picks the pages of a job). Its
  # queues use a backend of the tests, not cups-pdf, whose configuration
  # is fixed in /etc/cups and which refuses to run but as root.
  cups-daemon cups-client cups-filters
  # The sanitizer build; its runtime (libclang-rt-N-dev) follows the clang
  # installed, below.
  clang clang-tidy clang-format
  # The package and its desktop integration: the package checked, the MIME
  # type and the entry tried in a scratch database, the installed program
  # opened as a desktop would.
  dpkg-dev lintian appstream desktop-file-utils
  shared-mime-info libglib2.0-bin xdg-utils libfile-mimeinfo-perl man-db
)
# The Windows build (scripts/build-windows.sh): MinGW-w64 with posix threads,
# zlib for Windows, Wine to run the tests, NSIS for the installer, and
# dpkg-dev for fetching the sources of the libraries it cross-builds. The
# Linux Qt is the cross build's host tools (moc, rcc, uic); GoogleTest's
# source comes with libgtest-dev.
windows=(
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64 nsis icoutils librsvg2-bin dpkg-dev xvfb openbox xdotool
  libgtest-dev qt6-base-dev qt6-base-dev-tools libcli11-dev nlohmann-json3-dev cmake ninja-build pkg-config
  # Qt's own texts in Chinese (the .qm files serve every system), shipped
  # beside the Windows program.
  qt6-translations-l10n
  # Wine's X session (tests/x11/with_x_session.sh), reading the Windows
  # PDFs back against the Linux ones, and a CUPS of the tests' own that
  # Wine's printer driver prints to.
  x11-utils poppler-utils cups-daemon cups-client cups-filters
)
case $set_name in
  programs) wanted=("${programs[@]}") ;;
  all) wanted=("${programs[@]}" "${tests[@]}") ;;
  windows) wanted=("${windows[@]}") ;;
  *) echo "usage: $0 [programs|all|windows]" >&2; exit 2 ;;
esac

missing() {
  local p status
  for p in "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || echo "$p"
  done
}
install() {
  ((${#@} == 0)) && return 0
  echo "Installing: $*" >&2
  local sudo=""
  [[ $(id -u) -eq 0 ]] || sudo="sudo"
  DEBIAN_FRONTEND=noninteractive $sudo apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

mapfile -t absent < <(missing "${wanted[@]}")
install "${absent[@]}"
if [[ $set_name == all ]]; then
  # The sanitizers' runtime of the clang that is installed.
  clang_major=$(clang --version | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -1)
  mapfile -t absent < <(missing "libclang-rt-$clang_major-dev")
  install "${absent[@]}"
fi

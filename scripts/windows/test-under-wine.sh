#!/usr/bin/env bash
# The Windows build's tests under Wine, on the X display the caller gives
# Wine (tests/x11/with_x_session.sh): ctest of build-windows/ (the core, the
# CLI and the window on Qt's windows platform), the CLI against the Linux one
# when test.sh has built that, the window started, edited, saved and closed
# as a person would, and the form printed through Wine's printer driver to a
# CUPS of the test's own. WINEPREFIX is the caller's.
set -euo pipefail
cd "$(dirname "$0")/../.."
# The X session is for Wine: the Windows programs use Qt's windows platform.
unset QT_QPA_PLATFORM
# Wine's menu builder would write menu entries into the real home folder.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=};winemenubuilder.exe=d"
# One Wine server for the whole run: each test is a process of its own.
scripts/windows/wine-run.sh cmd /c exit >/dev/null 2>&1 || true
/usr/lib/wine/wineserver -p 2>/dev/null || true
ctest --preset windows

if [[ -x build/velmora-cli ]]; then
  echo "== velmora-cli on Windows against Linux"
  tests/windows/cli_same_as_linux.sh build/velmora-cli build-windows/velmora-cli.exe
  echo "== The window under Wine"
  tests/windows/window_smoke.sh build-windows/velmora.exe build/velmora-cli tests/fixtures/sample.xdx
fi

echo "== Printing under Wine"
tests/cups/with_cups.sh tests/windows/print_under_wine.sh build-windows/tests/print_sheets.exe \
  "$PWD/tests/fixtures/sample.xdx"

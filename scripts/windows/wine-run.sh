#!/usr/bin/env bash
# Runs a program built for Windows under Wine: how the build and ctest run
# the Windows tests (CMAKE_CROSSCOMPILING_EMULATOR). The DLLs come from the
# cross-built libraries, MinGW's runtime and the program's own folder.
# WINEPREFIX is the caller's (scripts/build-windows.sh makes a fresh one in a
# temporary folder); without it, one of this user's own under $TMPDIR is
# made on first use and kept.
set -euo pipefail
prefix=${VELMORA_WINDOWS_PREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/velmora/windows/prefix}
export WINEPREFIX=${WINEPREFIX:-${TMPDIR:-/tmp}/velmora-wine-$(id -u)}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
# Wine takes Windows paths here; Z: is the Unix root.
export WINEPATH="Z:$prefix/bin;Z:$gcc_runtime;Z:/usr/x86_64-w64-mingw32/lib"
# Qt's plugins (platforms, styles, image formats) from the cross-built Qt.
export QT_PLUGIN_PATH="Z:$prefix/plugins"
if [[ ! -d $WINEPREFIX ]]; then
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
fi
exec /usr/lib/wine/wine64 "$@"

#!/usr/bin/env bash
# Makes velmora-<version>-win64.zip in build-windows/: the Windows programs
# with every DLL they need (walked from their imports), the library
# velmora-cli opens only when it writes a workbook, Qt's plugins and Chinese
# texts, the guide and the licence.
# Usage: package.sh VERSION
set -euo pipefail
cd "$(dirname "$0")/../.."
version=$1
build=build-windows
name=velmora-$version-win64
stage=$build/$name
rm -rf "$stage" "$build/$name.zip"
mkdir -p "$stage"
programs=()
for p in velmora.exe velmora-cli.exe velmora-print.exe; do
  [[ -f $build/$p ]] && programs+=("$build/$p") && cp "$build/$p" "$stage/"
done
# Loaded by name at run time, so no import leads to them: the workbook
# library, and Qt's plugins, which Qt finds in these folders beside the
# program (the platform, and the image formats of the pictures the window
# and the form show; the window draws in Fusion, which Qt itself holds).
xlsxwriter=$(find "$VELMORA_WINDOWS_PREFIX/bin" -maxdepth 1 -iname 'libxlsxwriter*.dll' -print -quit)
cp "$xlsxwriter" "$stage/"
plugins=()
for plugin in platforms/qwindows.dll imageformats/qjpeg.dll imageformats/qico.dll imageformats/qgif.dll; do
  mkdir -p "$stage/$(dirname "$plugin")"
  cp "$VELMORA_WINDOWS_PREFIX/plugins/$plugin" "$stage/$plugin"
  plugins+=("$stage/$plugin")
done
scripts/windows/collect-dlls.sh "$stage" "${programs[@]}" "$xlsxwriter" "${plugins[@]}"
# Qt's own texts in Chinese, and the guide F1 opens.
mkdir -p "$stage/translations" "$stage/docs"
cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$stage/translations/"
cp $build/docs/* "$stage/docs/"
# The debugging symbols stay in build-windows/; libstdc++ alone carries 20 MB.
x86_64-w64-mingw32-strip --strip-unneeded "$stage"/*.exe "$stage"/*.dll "$stage"/*/*.dll
cp LICENSE "$stage/LICENSE.txt"
(cd "$build" && cmake -E tar cf "$name.zip" --format=zip "$name")
echo "$build/$name.zip"

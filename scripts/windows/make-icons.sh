#!/usr/bin/env bash
# Makes the Windows icons from the program's SVGs: velmora.ico (the program,
# for the .exe and the Start-menu shortcut) and velmora-xdx.ico (a .xdx
# document in Explorer), each at 16, 24, 32, 48, 64 and 256 pixels. The
# small ones are drawn from the SVG at their own size rather than scaled down
# from a large picture, so their lines stay sharp; 256 is stored as PNG, as
# Windows expects of that size (a bitmap of it would take 256 KiB).
# Usage: make-icons.sh OUTDIR
set -euo pipefail
(($# == 1)) || { echo "usage: $0 OUTDIR" >&2; exit 2; }
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$1
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

make_ico() {
  local svg=$1 ico=$2 size args=()
  for size in 16 24 32 48 64 256; do
    rsvg-convert -w "$size" -h "$size" -o "$work/$size.png" "$svg"
  done
  for size in 16 24 32 48 64; do args+=("$work/$size.png"); done
  icotool -c -o "$work/icon.ico" "${args[@]}" -r "$work/256.png"
  # icotool leaves no file behind on most errors but says nothing on some:
  # make sure every size made it in.
  local listed
  listed=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
  if [[ $listed != "16 24 32 48 64 256 " ]]; then
    echo "$ico: sizes '$listed' instead of 16 24 32 48 64 256" >&2
    return 1
  fi
  mv "$work/icon.ico" "$out/$ico"
}

make_ico "$root/data/io.github.velmora.Velmora.svg" velmora.ico
make_ico "$root/data/application-x-velmora-xdx.svg" velmora-xdx.ico

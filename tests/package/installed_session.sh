#!/usr/bin/env bash
# With the package installed, on an X display: xdg-open opens a document in
# the installed program, whose window the desktop can match to its entry;
# pressing 帮 助 hands the installed user guide to the desktop (a stand-in
# xdg-open on the program's PATH records what it is given).
#   installed_session.sh DOCUMENT.xdx
set -euo pipefail
document=$(realpath "$1")
work=$(mktemp -d)
opener=""
cleanup() {
  [[ -n $opener ]] && kill "$opener" 2>/dev/null || true
  [[ -n ${program:-} ]] && kill "$program" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/opened"\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export HOME=$work XDG_STATE_HOME=$work/state XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
unset XDG_DATA_DIRS XDG_CURRENT_DESKTOP

PATH=$work/bin:$PATH /usr/bin/xdg-open "$document" &
opener=$!
win=""
for _ in $(seq 150); do
  win=$(xdotool search --onlyvisible --classname '^velmora$' 2>/dev/null | head -1) || true
  [[ -n $win ]] && break
  sleep 0.1
done
[[ -n $win ]] || { echo "xdg-open started no window of velmora"; exit 1; }
program=$(xdotool getwindowpid "$win")
[[ $(readlink "/proc/$program/exe") == /usr/bin/velmora ]] ||
  { echo "the window belongs to $(readlink "/proc/$program/exe")"; exit 1; }
tr '\0' '\n' <"/proc/$program/cmdline" | grep -qxF "$document" ||
  { echo "velmora was not given the document: $(tr '\0' ' ' <"/proc/$program/cmdline")"; exit 1; }
# Desktops on X match a window to its entry by the instance of WM_CLASS.
wm_class=$(grep -m1 '^StartupWMClass=' /usr/share/applications/io.github.velmora.Velmora.desktop | cut -d= -f2)
xprop -id "$win" WM_CLASS | grep -q "= \"$wm_class\"," || { echo "WM_CLASS $(xprop -id "$win" WM_CLASS), entry $wm_class"; exit 1; }

# 帮 助: 16,448 in the side panel, 66 pixels square; the panel is the
# window's right 180 pixels.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool windowactivate --sync "$win"
xdotool mousemove --window "$win" $((WIDTH - 180 + 16 + 33)) $((448 + 33)) click 1
for _ in $(seq 50); do
  [[ -s $work/opened ]] && break
  sleep 0.1
done
opened=$(cat "$work/opened" 2>/dev/null || true)
case $opened in
  file:///usr/share/velmora/help.html | /usr/share/velmora/help.html) ;;
  *) echo "help opened '$opened', expected the installed guide"; exit 1 ;;
esac
echo "installed session ok: $document opened, help $opened"

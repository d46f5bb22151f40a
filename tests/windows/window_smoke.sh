#!/usr/bin/env bash
# The Windows program under Wine, used as a person would on Wine's display
# (an X server with a window manager): it starts with a document named on
# its command line, takes typing in the title field, saves the document
# where it was opened (accepting the name the save dialog proposes) and
# closes without a question, exiting 0.
#   window_smoke.sh VELMORA_EXE VELMORA_CLI FIXTURE
# VELMORA_CLI is the Linux velmora-cli, which reads the saved document back.
# Needs DISPLAY (tests/x11/with_x_session.sh) and a WINEPREFIX.
set -euo pipefail
exe=$1 cli=$2 fixture=$3
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM

fail() { echo "window_smoke: $*" >&2; exit 1; }
first_window() {  # the first visible window whose name matches
  for _ in $(seq 300); do
    if id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [[ -n $id ]]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  fail "no window named $1"
}
# Where the window keeps its recovery copies: Wine sets LOCALAPPDATA from
# the prefix's profile whatever the caller's environment says. The prefix is
# the test's own, so a copy left there by an earlier run is cleared.
localappdata=$("$root/scripts/windows/wine-run.sh" cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
recovery=$("$root/scripts/windows/wine-run.sh" winepath -u "$localappdata" 2>/dev/null)/velmora/recovery
[[ $recovery == /* ]] || fail "no LOCALAPPDATA under Wine"
rm -rf "$recovery"
title_of() { "$cli" dump "$1" | sed -n 's/^  "ProjectName": "\(.*\)",$/\1/p'; }

cp "$fixture" "$work/申请书.xdx"
typed="smoke test title"
"$root/scripts/windows/wine-run.sh" "$exe" "Z:$work/申请书.xdx" &
program=$!
win=$(first_window "Velmora课题申报系统")
# A window shown under Wine may not take keys yet on a loaded machine, and
# keys sent too early are lost. What the typing reached is known from the
# recovery copy the window writes a few seconds after an edit: the whole
# title is typed over again until that copy holds it.
copied() {
  local f
  for f in "$recovery"/*.xdx; do
    [[ -f $f && $(title_of "$f") == "$typed" ]] && return 0
  done
  return 1
}
for attempt in 1 2 3 4; do
  xdotool windowactivate --sync "$win"
  sleep 1  # Wine gives the focus a moment after the window manager
  # The title field of page 01: below Wine's own title bar, as the window
  # shows it (tests/x11 click the same field of the Linux window).
  xdotool mousemove --window "$win" 320 184 click 1
  sleep 0.5
  xdotool key ctrl+a
  xdotool type --delay 100 "$typed"
  for _ in $(seq 150); do
    copied && break 2
    sleep 0.1
  done
  [[ $attempt == 4 ]] && fail "the typing never reached the window (no recovery copy holds it)"
done
xdotool key ctrl+s
dialog=$(first_window "请输入要保存的文件名")
# The dialog proposes the name the document was opened from: Return takes
# it. A key lost to a busy Wine is pressed again while the dialog stays.
saved=""
for tick in $(seq 120); do
  saved=$(title_of "$work/申请书.xdx")
  [[ $saved == "$typed" ]] && break
  if ((tick % 10 == 1)) && xdotool search --onlyvisible --name "请输入要保存的文件名" >/dev/null 2>&1; then
    xdotool windowactivate --sync "$dialog" 2>/dev/null || true
    sleep 0.5
    xdotool key Return
  fi
  sleep 0.5
done
[[ $saved == "$typed" ]] || fail "the document was not saved with the typing: '$saved'"

# Saved: closing asks nothing (a question box would hold the window open).
for tick in $(seq 100); do
  kill -0 $program 2>/dev/null || break
  if ((tick % 20 == 1)); then
    xdotool windowactivate --sync "$win" 2>/dev/null || true
    sleep 0.5
    xdotool key alt+F4
  fi
  sleep 0.2
done
kill -0 $program 2>/dev/null && fail "the window did not close"
wait $program || fail "the program exited with $?"
echo "window_smoke: opened, edited, saved and closed $work/申请书.xdx"

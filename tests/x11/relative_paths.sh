#!/usr/bin/env bash
# A document named by a relative path is saved where it was opened from, not
# in the working folder; a recovery copy of it restored from another working
# folder is saved there too, and a namesake in that folder stays untouched.
#   relative_paths.sh VELMORA VELMORA_CLI FIXTURE      (on an X display)
set -euo pipefail
velmora=$1 cli=$2 fixture=$3
work=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT
export XDG_STATE_HOME=$work/state
mkdir -p "$work/t/docs" "$work/other/docs" "$work/third"
cp "$fixture" "$work/t/docs/a.xdx"
echo "an unrelated file" >"$work/other/docs/a.xdx"

fail() { echo "relative_paths: $*" >&2; exit 1; }
first_window() {  # the first visible window xdotool search finds with "$@"
  for _ in $(seq 100); do
    if id=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -1) && [[ -n $id ]]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  fail "no window for $*"
}
window_of() { first_window --pid "$1"; }
wait_for_title() { first_window --name "$1"; }
title_of() { "$cli" dump "$1" | sed -n 's/^  "ProjectName": "\(.*\)",$/\1/p'; }
# Types at the end of the title field of page 01 and saves, accepting the
# name the save dialog proposes.
edit_and_save() {
  local win=$1 text=$2
  xdotool windowactivate --sync "$win"
  xdotool mousemove --window "$win" 300 178 click 1
  xdotool key End
  xdotool type --delay 50 "$text"
  xdotool key ctrl+s
  dialog=$(wait_for_title "请输入要保存的文件名")
  sleep 0.5
  xdotool windowactivate --sync "$dialog" key Return
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "请输入要保存的文件名" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the save dialog did not close"
}

original=$(title_of "$fixture")
cd "$work/t"
"$velmora" docs/a.xdx &
first=$!
win=$(window_of $first)
edit_and_save "$win" " one"
[[ $(title_of "$work/t/docs/a.xdx") == "$original one" ]] || fail "docs/a.xdx was not saved: $(title_of "$work/t/docs/a.xdx")"
[[ ! -e $work/t/a.xdx ]] || fail "the edit went to the working folder"

# An edit left unsaved, the window killed.
xdotool mousemove --window "$win" 300 178 click 1
xdotool key End
xdotool type --delay 50 " two"
for _ in $(seq 100); do
  compgen -G "$XDG_STATE_HOME/velmora/recovery/*.xdx" >/dev/null && break
  sleep 0.1
done
compgen -G "$XDG_STATE_HOME/velmora/recovery/*.xdx" >/dev/null || fail "no recovery copy was written"
kill -9 $first
wait $first 2>/dev/null || true

# Restored from another working folder, which has a docs/a.xdx of its own.
cd "$work/other"
"$velmora" &
second=$!
box=$(window_of $second)
xdotool windowactivate --sync "$box"
sleep 0.5
xdotool key Return  # Yes: restore
sleep 1
win=$(window_of $second)
edit_and_save "$win" " three"
[[ $(title_of "$work/t/docs/a.xdx") == "$original one two three" ]] ||
  fail "the restored edits were not saved to their document: $(title_of "$work/t/docs/a.xdx")"
[[ $(cat "$work/other/docs/a.xdx") == "an unrelated file" ]] || fail "a namesake in the working folder was replaced"
[[ ! -e $work/other/a.xdx ]] || fail "the restored edits went to the working folder"
kill $second
echo "saved where opened: $work/t/docs/a.xdx"

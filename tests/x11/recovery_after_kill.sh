#!/usr/bin/env bash
# Types into the window, kills it with SIGKILL once the recovery copy is
# written, starts it again and answers the recovery question with Enter: the
# restored record (which the new window copies at once) holds the edit.
#   recovery_after_kill.sh VELMORA VELMORA_CLI      (on an X display)
set -euo pipefail
velmora=$1 cli=$2
state=$(mktemp -d)
trap 'kill -9 $(jobs -p) 2>/dev/null || true; rm -rf "$state"' EXIT
export XDG_STATE_HOME=$state
folder=$state/velmora/recovery

window_of() {  # the first window of the process, once it is mapped
  for _ in $(seq 100); do
    if id=$(xdotool search --sync --onlyvisible --pid "$1" 2>/dev/null | head -1) && [[ -n $id ]]; then
      echo "$id"
      return
    fi
    sleep 0.1
  done
  echo "no window of process $1" >&2
  exit 1
}

"$velmora" &
first=$!
win=$(window_of $first)
xdotool windowactivate --sync "$win"
# The title field of page 01, as the user clicks into it.
eval "$(xdotool getwindowgeometry --shell "$win")"
xdotool mousemove --window "$win" 300 178 click 1
xdotool type --delay 50 "crash-proof draft"
for _ in $(seq 100); do
  compgen -G "$folder/*.xdx" >/dev/null && break
  sleep 0.1
done
copy=$(compgen -G "$folder/*.xdx" | head -1) || { echo "no recovery copy was written" >&2; exit 1; }
holds_edit() { [[ $("$cli" dump "$1") == *'"ProjectName": "crash-proof draft"'* ]]; }
holds_edit "$copy" || { echo "the copy does not hold the edit" >&2; exit 1; }
kill -9 $first
wait $first 2>/dev/null || true

"$velmora" &
second=$!
# The question comes before the main window.
box=$(window_of $second)
xdotool windowactivate --sync "$box"
sleep 0.5
xdotool key Return
# The restored record is this window's own copy now; the old one is gone.
for _ in $(seq 100); do
  copies=$(compgen -G "$folder/*.xdx" || true)
  if [[ -n $copies && $copies != "$copy" ]]; then break; fi
  sleep 0.1
done
[[ ! -e $copy ]] || { echo "the old copy was not removed" >&2; exit 1; }
restored=$(compgen -G "$folder/*.xdx" | head -1)
holds_edit "$restored" || { echo "the restored record lacks the edit" >&2; exit 1; }
kill $second
echo "recovered: crash-proof draft"

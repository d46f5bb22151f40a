#!/usr/bin/env bash
# Runs a command on a real X server of its own: Xvfb on a free display with
# openbox as window manager, both stopped when the command ends. The command
# sees DISPLAY and QT_QPA_PLATFORM=xcb; its exit code is the script's.
#   tests/x11/with_x_session.sh COMMAND [ARGS...]
set -euo pipefail
for tool in Xvfb openbox; do
  command -v "$tool" >/dev/null || { echo "with_x_session: $tool is not installed" >&2; exit 1; }
done

workdir=$(mktemp -d)
xvfb_pid="" wm_pid=""
cleanup() {
  [[ -n $wm_pid ]] && kill "$wm_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$workdir"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the pipe.
exec {display_fd}<> <(:)
Xvfb -displayfd "$display_fd" -screen 0 1280x1024x24 -nolisten tcp -auth /dev/null \
  >"$workdir/xvfb.log" 2>&1 &
xvfb_pid=$!
if ! read -r -t 20 -u "$display_fd" display; then
  echo "with_x_session: Xvfb did not start" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
exec {display_fd}<&-
export DISPLAY=":$display"
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$workdir/runtime"
mkdir -m 0700 "$XDG_RUNTIME_DIR"

openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it owns the screen's WM selection.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done

set +e
"$@"
status=$?
set -e
exit $status

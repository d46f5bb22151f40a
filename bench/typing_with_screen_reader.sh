#!/usr/bin/env bash
# Runs window_bench's keystroke benchmarks with the screen reader bridge on,
# on an X server of its own (tests/x11/with_x_session.sh) with a D-Bus
# session of its own (dbus-run-session), which starts the accessibility bus
# (at-spi2-core) in the run's runtime folder when Qt asks for it. Qt's bridge
# is forced on (QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1), and
# bench/screen_reader_listener.py registers for what a screen reader hears,
# keys included, so that the bridge sends every event and holds every key
# until the registry has offered it. Fails when the listener heard nothing.
#   bench/typing_with_screen_reader.sh [BUILD [BENCHMARK OPTIONS...]]   BUILD defaults to build/
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
for tool in dbus-run-session /usr/libexec/at-spi-bus-launcher /usr/libexec/at-spi2-registryd; do
  command -v "$tool" >/dev/null || { echo "typing_with_screen_reader: $tool is not installed" >&2; exit 1; }
done
# dbus-daemon, unable to raise its file limit in a container, says so at
# start; that is no fault and no news.
# shellcheck disable=SC2016 # the inner shell expands its own variables
exec tests/x11/with_x_session.sh dbus-run-session -- bash -c '
  set -uo pipefail
  build=$1
  shift
  log=$XDG_RUNTIME_DIR/listener.log
  /usr/bin/python3 bench/screen_reader_listener.py >"$log" 2>&1 &
  listener=$!
  for _ in $(seq 100); do grep -q ready "$log" && break; sleep 0.1; done
  grep -q ready "$log" || { cat "$log" >&2; kill "$listener"; exit 1; }
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$build/bench/window_bench" --benchmark_filter=Keystroke "$@"
  status=$?
  kill "$listener"
  wait "$listener"
  grep -v "^ready$" "$log"
  if grep -qE "^heard 0 events|, 0 keys$" "$log"; then
    echo "typing_with_screen_reader: the listener heard nothing: the bridge was off" >&2
    exit 1
  fi
  exit $status' bash "$build" "$@" 2> >(grep -v "Failed to set fd limit" >&2)

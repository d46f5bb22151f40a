#!/usr/bin/env bash
# Builds the program and starts it, opening the document given, if any.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
if [[ -x build/velmora ]]; then
  exec build/velmora "$@"
fi
echo "The window is not built yet; velmora-cli checks documents meanwhile:" >&2
if [[ $# -gt 0 ]]; then
  exec build/velmora-cli check "$@"
fi
exec build/velmora-cli --help

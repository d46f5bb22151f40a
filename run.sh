#!/usr/bin/env bash
# Builds the program and starts it, opening the document given, if any.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
exec build/velmora "$@"

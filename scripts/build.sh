#!/usr/bin/env bash
# Configures and builds everything into build/ (the "default" preset of
# CMakePresets.json). Extra arguments go to the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default "$@" >/dev/null
cmake --build --preset default -- --quiet

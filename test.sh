#!/usr/bin/env bash
# Builds the program and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
cd build
ctest --output-on-failure -j2

#!/usr/bin/env bash
# Builds the program and starts it, opening the document given, if any.
set -euo pipefail
cd "$(dirname "$0")"
# Only what the programs need: the tests' toolchain comes with ./test.sh.
scripts/ensure-packages.sh programs
scripts/build.sh --programs
exec build/velmora "$@"

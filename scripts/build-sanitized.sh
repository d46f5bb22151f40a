#!/usr/bin/env bash
# Configures and builds with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/ (the "sanitizer" preset of
# CMakePresets.json): the core, velmora-cli, their tests and the fuzz targets,
# and the window without its print preview (no printed form in this build)
# with the soak test that drives it. Configuring every time lets a changed
# flag take effect in the existing folder. Extra arguments go to the
# configure step; VELMORA_JOBS limits the parallel compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset sanitizer "$@" >/dev/null
# Quiet when there is nothing to do; everything the compiler says otherwise.
out=$(cmake --build --preset sanitizer -- --quiet ${VELMORA_JOBS:+-j$VELMORA_JOBS} 2>&1) || { echo "$out" >&2; exit 1; }
grep -vE '^(ninja: no work to do\.|-- .*)$' <<<"$out" || true

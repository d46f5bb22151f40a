#!/usr/bin/env bash
# Configures (once) and builds with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-asan/: the core, velmora-cli, their
# tests and the fuzz targets, and the window without its print preview (no
# printed form in this build) with the soak test that drives it.
# VELMORA_JOBS limits the parallel compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-asan
# A build folder configured before the window joined this build is configured
# again; its objects stay.
if [[ ! -f $dir/build.ninja ]] || ! grep -q '^VELMORA_SANITIZED_WINDOW:BOOL=ON$' $dir/CMakeCache.txt; then
  flags="-O1 -g -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS"
  flags+=" -fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
  CC=clang CXX=clang++ cmake -S . -B $dir -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVELMORA_CORE_ONLY=ON -DVELMORA_SANITIZED_WINDOW=ON -DVELMORA_BUILD_BENCH=OFF -DVELMORA_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
fi
# Quiet when there is nothing to do; everything the compiler says otherwise.
out=$(cmake --build $dir -- --quiet ${VELMORA_JOBS:+-j$VELMORA_JOBS} 2>&1) || { echo "$out" >&2; exit 1; }
grep -vE '^(ninja: no work to do\.|-- .*)$' <<<"$out" || true

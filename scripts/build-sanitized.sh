#!/usr/bin/env bash
# Configures (once) and builds the core, velmora-cli, their tests and the fuzz
# targets with clang, AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/. No Qt: the window and the printed form are not part of it.
# VELMORA_JOBS limits the parallel compile jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build-asan
if [[ ! -f $dir/build.ninja ]]; then
  flags="-O1 -g -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS"
  flags+=" -fsanitize=address,undefined -fno-sanitize-recover=all -fsanitize=fuzzer-no-link"
  CC=clang CXX=clang++ cmake -S . -B $dir -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DVELMORA_CORE_ONLY=ON -DVELMORA_BUILD_BENCH=OFF -DVELMORA_FUZZ=ON \
    "-DCMAKE_CXX_FLAGS=$flags" \
    "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined" >/dev/null
fi
# Quiet when there is nothing to do; everything the compiler says otherwise.
out=$(cmake --build $dir -- --quiet ${VELMORA_JOBS:+-j$VELMORA_JOBS} 2>&1) || { echo "$out" >&2; exit 1; }
grep -vE '^(ninja: no work to do\.|-- .*)$' <<<"$out" || true

#!/usr/bin/env bash
# Builds the program and runs every test. First the core and its tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, together with a short run
# of each fuzz target (build-asan/); then the whole suite
# (build/), whose ctest summary closes the output. Any failure makes the
# script fail.
set -euo pipefail
cd "$(dirname "$0")"
scripts/ensure-packages.sh
scripts/build.sh
scripts/build-sanitized.sh

echo "== Sanitizer build (ASan+UBSan): core tests, and each fuzz target for" \
  "$(sed -n 's/^VELMORA_FUZZ_SECONDS:STRING=//p' build-asan/CMakeCache.txt) s"
sanitized=0
if (cd build-asan && ctest --output-on-failure -j2 >ctest.log 2>&1); then
  sed -n '/tests passed/,$p' build-asan/ctest.log
else
  sanitized=1
  cat build-asan/ctest.log
fi

echo "== All tests"
cd build
ctest --output-on-failure -j2
if ((sanitized)); then
  echo "FAILED: the sanitizer build's tests or fuzz targets (see above, and build-asan/fuzz/artifacts/)" >&2
  exit 1
fi

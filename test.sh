#!/usr/bin/env bash
# Builds the program and runs every test. First the core and its tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, together with a short run
# of each fuzz target and a soak of the window with random input
# (build-asan/); then the whole suite (build/), whose ctest summary closes the
# output. Any failure makes the script fail.
set -euo pipefail
cd "$(dirname "$0")"
# How long each fuzz target and the window's soak run in the sanitizer build.
fuzz_seconds=${VELMORA_FUZZ_SECONDS:-20}
soak_seconds=${VELMORA_SOAK_SECONDS:-60}
scripts/ensure-packages.sh all
scripts/build.sh
echo "== Static checks (clang-tidy on the core and velmora-cli)"
static=0
scripts/check-static.sh || static=1
scripts/build-sanitized.sh -DVELMORA_FUZZ_SECONDS="$fuzz_seconds" -DVELMORA_SOAK_SECONDS="$soak_seconds"

echo "== Sanitizer build (ASan+UBSan): core tests, each fuzz target for $fuzz_seconds s," \
  "the window's soak for $soak_seconds s"
sanitized=0
if ctest --preset sanitizer >build-asan/ctest.log 2>&1; then
  sed -n '/tests passed/,$p' build-asan/ctest.log
else
  sanitized=1
  cat build-asan/ctest.log
fi
# Name the soak's seeds (a fixed first one, then one after another), so that
# any can be replayed alone.
grep -h '^soak: seed [0-9]*: ' build-asan/Testing/Temporary/LastTest.log 2>/dev/null | sort -u || true

echo "== All tests"
ctest --preset default
if ((static)); then
  echo "FAILED: the static checks (see above)" >&2
  exit 1
fi
if ((sanitized)); then
  echo "FAILED: the sanitizer build's tests, fuzz targets or soak (see above, and build-asan/fuzz/artifacts/)" >&2
  exit 1
fi

#!/usr/bin/env bash
# Configures and builds into build/ (the "default" preset of
# CMakePresets.json): everything, tests and benchmarks included, or with
# --programs only the three programs (what ./run.sh needs). Quiet when there
# is nothing to do. Extra arguments go to the configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
targets=()
configure=()
if [[ ${1:-} == --programs ]]; then
  shift
  targets=(--target velmora velmora-cli velmora-print)
  # Without the test toolchain the tests cannot even be configured; with it
  # they stay configured, so ./test.sh finds its folder as it left it.
  installed=$(dpkg-query -W -f='${Status}\n' libgtest-dev libbenchmark-dev 2>/dev/null | grep -c 'install ok installed' || true)
  ((installed == 2)) || configure=(-DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF)
else
  configure=(-DVELMORA_BUILD_TESTS=ON -DVELMORA_BUILD_BENCH=ON)
fi
cmake --preset default "${configure[@]}" "$@" >/dev/null
# Everything the compiler says, but not ninja's "no work to do".
cmake --build --preset default "${targets[@]}" -- --quiet | sed '/^ninja: no work to do\.$/d'

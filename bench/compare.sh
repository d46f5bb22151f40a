#!/usr/bin/env bash
# Times `velmora-cli check` against xmllint's bare parse of the same maximal
# document, in one run, and prints the ratio.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
runs=${RUNS:-300}
doc=$(mktemp --suffix=.xdx)
trap 'rm -f "$doc"' EXIT
build/bench/make-maximal-document "$doc"

time_runs() {  # prints milliseconds per run
  local start end
  start=$(date +%s%N)
  for ((i = 0; i < runs; i++)); do "$@" >/dev/null 2>&1 || true; done
  end=$(date +%s%N)
  echo "scale=3; ($end - $start) / 1000000 / $runs" | bc
}

# Warm the page cache and the dynamic loader once.
build/velmora-cli check "$doc" >/dev/null || true
xmllint --noout "$doc"

cli=$(time_runs build/velmora-cli check "$doc")
xml=$(time_runs xmllint --noout "$doc")
printf 'document:              %s bytes\n' "$(stat -c %s "$doc")"
printf 'velmora-cli check:     %s ms\n' "$cli"
printf 'xmllint --noout:       %s ms\n' "$xml"
printf 'ratio:                 %s\n' "$(echo "scale=2; $cli / $xml" | bc)"

#!/usr/bin/env bash
# Times `velmora-cli check` against xmllint's bare parse of the same maximal
# document, in one run, and prints the ratio. The two programs take turns,
# run after run, so that whatever else the machine does weighs on both alike;
# the medians of the runs are compared, so that a moment's load on a shared
# machine does not decide it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
runs=${RUNS:-300}
doc=$(mktemp --suffix=.xdx)
trap 'rm -f "$doc"' EXIT
build/bench/make-maximal-document "$doc"

# Warm the page cache and the dynamic loader once.
build/velmora-cli check "$doc" >/dev/null || true
xmllint --noout "$doc"

cli_times=() xml_times=()
microseconds() {  # runs "$@", prints how long it took
  local start=${EPOCHREALTIME/./} end
  "$@" >/dev/null 2>&1 || true
  end=${EPOCHREALTIME/./}
  echo $((end - start))
}
for ((i = 0; i < runs; i++)); do
  if ((i % 2)); then
    cli_times+=("$(microseconds build/velmora-cli check "$doc")")
    xml_times+=("$(microseconds xmllint --noout "$doc")")
  else
    xml_times+=("$(microseconds xmllint --noout "$doc")")
    cli_times+=("$(microseconds build/velmora-cli check "$doc")")
  fi
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
cli=$(median "${cli_times[@]}")
xml=$(median "${xml_times[@]}")
printf 'document:              %s bytes\n' "$(stat -c %s "$doc")"
printf 'velmora-cli check:     %s ms (median of %s runs)\n' "$(echo "scale=3; $cli / 1000" | bc)" "$runs"
printf 'xmllint --noout:       %s ms (median of %s runs)\n' "$(echo "scale=3; $xml / 1000" | bc)" "$runs"
printf 'ratio:                 %s\n' "$(echo "scale=2; $cli / $xml" | bc)"

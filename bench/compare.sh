#!/usr/bin/env bash
# Times `velmora-cli check` against xmllint's bare parse of the same document,
# for two documents: the maximal one (every field at its limit, cells of 40
# bytes, about 46 KB) and the largest legal one (what velmora-cli import takes
# as it is, every field at its limit, every table full, about 91 KB), and
# prints each ratio. The programs take turns, run after run and document after
# document, so that whatever else the machine does weighs on all alike; the
# medians of the runs are compared, so that a moment's load on a shared
# machine does not decide it.
#   bench/compare.sh                  builds build/ first, then measures
#   BUILD=dir bench/compare.sh        measures the programs of an existing build
#   CLI=path bench/compare.sh         measures another velmora-cli (BUILD's generators)
set -euo pipefail
cd "$(dirname "$0")/.."
if [[ -z ${BUILD:-} ]]; then
  scripts/build.sh
  BUILD=build
fi
cli=${CLI:-$BUILD/velmora-cli}
runs=${RUNS:-300}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$BUILD"/bench/make-maximal-document "$work/maximal.xdx"
"$BUILD"/bench/make-largest-document "$work/largest.xdx"
docs=(maximal largest)

# Warm the page cache and the dynamic loader once.
for doc in "${docs[@]}"; do
  "$cli" check "$work/$doc.xdx" >/dev/null || true
  xmllint --noout "$work/$doc.xdx"
done

microseconds() {  # runs "$@", prints how long it took
  local start=${EPOCHREALTIME/./} end
  "$@" >/dev/null 2>&1 || true
  end=${EPOCHREALTIME/./}
  echo $((end - start))
}
declare -A cli_times xml_times
for ((i = 0; i < runs; i++)); do
  for doc in "${docs[@]}"; do
    if ((i % 2)); then
      cli_times[$doc]+=" $(microseconds "$cli" check "$work/$doc.xdx")"
      xml_times[$doc]+=" $(microseconds xmllint --noout "$work/$doc.xdx")"
    else
      xml_times[$doc]+=" $(microseconds xmllint --noout "$work/$doc.xdx")"
      cli_times[$doc]+=" $(microseconds "$cli" check "$work/$doc.xdx")"
    fi
  done
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
for doc in "${docs[@]}"; do
  # shellcheck disable=SC2086 # the lists are words
  c=$(median ${cli_times[$doc]})
  # shellcheck disable=SC2086
  x=$(median ${xml_times[$doc]})
  printf '%s document:%*s%s bytes\n' "$doc" $((12 - ${#doc})) '' "$(stat -c %s "$work/$doc.xdx")"
  printf '  velmora-cli check:     %s ms (median of %s runs)\n' "$(echo "scale=3; $c / 1000" | bc)" "$runs"
  printf '  xmllint --noout:       %s ms (median of %s runs)\n' "$(echo "scale=3; $x / 1000" | bc)" "$runs"
  printf '  ratio:                 %s\n' "$(echo "scale=2; $c / $x" | bc)"
done

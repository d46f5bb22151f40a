#!/usr/bin/env bash
# Builds the fuzz targets (build-asan/, clang with ASan and UBSan) and runs
# each for SECONDS (default 300), at low priority. New inputs are kept in
# build-asan/fuzz/corpus-NAME and reused by the next run; a crashing input is
# written to build-asan/fuzz/artifacts/ and the script fails.
#   fuzz/run.sh [SECONDS] [TARGET...]     TARGET: comma_text, xdx_open, json_import
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(comma_text xdx_open json_import)

scripts/build-sanitized.sh
out=build-asan/fuzz
status=0
for t in "${targets[@]}"; do
  dict=()
  [[ -f fuzz/$t.dict ]] && dict=(-dict="fuzz/$t.dict")
  mkdir -p "$out/corpus-$t" "$out/artifacts"
  echo "fuzz_$t: $seconds s" >&2
  if ! nice -n 10 "$out/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$t-" "${dict[@]}" \
      "$out/corpus-$t" "fuzz/corpus/$t" 2>"$out/$t.log"; then
    status=1
    echo "fuzz_$t FAILED; see $out/$t.log and $out/artifacts/" >&2
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added)|^Done' "$out/$t.log" >&2 || true
done
exit $status

#!/usr/bin/env bash
# Each folder of the core includes only the folders beneath it: a rule that
# reaches upwards (a record needing the form state, a report needing the
# actions) is a rule in the wrong place.
set -euo pipefail
cd "$(dirname "$0")/../.."
declare -A allowed=(
  [record]="record"
  [check]="check record"
  [format]="format record"
  [document]="document format check record"
  [exchange]="exchange record"
  [report]="report record"
)
status=0
for folder in "${!allowed[@]}"; do
  [[ -d $folder ]] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ " ${allowed[$folder]} " != *" $included "* ]]; then
      echo "$file includes $included/, which $folder/ must not reach: ${line#*:}"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$folder" || true)
done
exit $status

#!/usr/bin/env bash
# The habits the build holds the code to, beside the compiler's warnings
# (which the presets make errors): clang-tidy (.clang-tidy) clean on the
# Qt-free core and velmora-cli. Needs build/compile_commands.json
# (scripts/build.sh makes it). Quiet when all is well.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

mapfile -t core < <(git ls-files 'record/*.cpp' 'check/*.cpp' 'format/*.cpp' 'document/*.cpp' 'exchange/*.cpp' \
  'cli/*.cpp' | grep -v '^cli/print_main.cpp$')
if ! printf '%s\n' "${core[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build --quiet \
  >"${TMPDIR:-/tmp}/velmora-tidy.log" 2>&1; then
  grep -E '(warning|error):' "${TMPDIR:-/tmp}/velmora-tidy.log" | sort -u
  echo "FAILED: clang-tidy (see above)" >&2
  status=1
fi
exit $status

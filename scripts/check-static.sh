#!/usr/bin/env bash
# The habits the build holds the code to, beside the compiler's warnings
# (which the presets make errors): every C++ file formatted as
# .clang-format says, and clang-tidy (.clang-tidy) clean on the Qt-free core
# and velmora-cli. Needs build/compile_commands.json (scripts/build.sh makes
# it). Quiet when all is well.
set -euo pipefail
cd "$(dirname "$0")/.."
status=0

# clang-format -i on the files it names mends what this finds.
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}" >"${TMPDIR:-/tmp}/velmora-format.log" 2>&1; then
  grep -E '^[^ ].*(warning|error):' "${TMPDIR:-/tmp}/velmora-format.log" | cut -d: -f1,2 | sort -u | head -50
  echo "FAILED: unformatted lines (clang-format -i FILE mends them)" >&2
  status=1
fi

# The files this build compiles: the Windows-only ones are not among them.
mapfile -t core < <(git ls-files 'record/*.cpp' 'check/*.cpp' 'format/*.cpp' 'document/*.cpp' 'exchange/*.cpp' \
  'cli/*.cpp' | grep -v '^cli/print_main.cpp$' | while read -r f; do
  grep -q "\"file\": \"$PWD/$f\"" build/compile_commands.json && echo "$f"
done)
if ! printf '%s\n' "${core[@]}" | xargs -P "$(nproc)" -n 4 clang-tidy -p build --quiet \
  >"${TMPDIR:-/tmp}/velmora-tidy.log" 2>&1; then
  grep -E '(warning|error):' "${TMPDIR:-/tmp}/velmora-tidy.log" | sort -u
  echo "FAILED: clang-tidy (see above)" >&2
  status=1
fi
exit $status

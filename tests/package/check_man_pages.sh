#!/usr/bin/env bash
# The manual pages as built: man formats each without a warning, and each
# documents what its program takes (velmora-cli: every command and option).
#   check_man_pages.sh BUILD_DIR
set -euo pipefail
man_dir=$1/man
export LC_ALL=C.UTF-8 MANWIDTH=80
failures=0
for page in velmora.1 velmora-cli.1; do
  file=$man_dir/$page.gz
  [[ -f $file ]] || { echo "$file was not built"; failures=$((failures + 1)); continue; }
  warnings=$(man --warnings -l "$file" 2>&1 >/dev/null) || { echo "man failed on $page"; failures=$((failures + 1)); }
  [[ -z $warnings ]] || { echo "$page: $warnings"; failures=$((failures + 1)); }
  text=$(man -l "$file" 2>/dev/null | col -b)
  case $page in
    velmora.1) words=(NAME SYNOPSIS DESCRIPTION KEYBOARD FILES "SEE ALSO" help.html recovery --version) ;;
    velmora-cli.1) words=(NAME SYNOPSIS COMMANDS "EXIT STATUS" EXAMPLES check --json dump import resave pdf
                          --out-dir --paper roster --out --help --version) ;;
  esac
  for word in "${words[@]}"; do
    grep -qF -- "$word" <<<"$text" || { echo "$page does not mention $word"; failures=$((failures + 1)); }
  done
done
((failures == 0)) || exit 1
echo "manual pages ok"

#!/usr/bin/env bash
# The bash completion of velmora-cli and velmora: for a command line typed up
# to the cursor, the words offered, in a folder holding one file of each kind
# the commands take.
#   check_completion.sh COMPLETION_FILE
set -euo pipefail
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir received out
touch a.xdx B.XDX notes.txt data.json form.pdf roster.xlsx roster.csv received/c.xdx

# shellcheck source=/dev/null
source "$script"
failures=0
# expect "COMMAND LINE" "WORDS OFFERED": the last word of the line is the one
# being completed ("" after a trailing blank); the offered words are compared
# sorted, separated by blanks.
expect() {
  local line=$1 want=$2
  local -a words
  read -r -a words <<<"$line"
  [[ $line == *' ' ]] && words+=("")
  COMP_WORDS=("${words[@]}")
  COMP_CWORD=$((${#words[@]} - 1))
  COMP_LINE=$line
  COMP_POINT=${#line}
  local registration function
  registration=$(complete -p "${words[0]}")
  function=${registration#*-F }
  function=${function%% *}
  COMPREPLY=()
  "$function" "${words[0]}" "${words[COMP_CWORD]}" "${words[COMP_CWORD - 1]:-}" || true
  local got
  got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd' ' -)
  if [[ $got != "$want" ]]; then
    echo "'$line': offered '$got', expected '$want'"
    failures=$((failures + 1))
  fi
}

expect 'velmora-cli ' '--help --version check dump import pdf resave roster'
expect 'velmora-cli r' 'resave roster'
expect 'velmora-cli check ' 'B.XDX a.xdx out received'
expect 'velmora-cli check --' '--help --json'
expect 'velmora-cli check --json received/' 'received/c.xdx'
expect 'velmora-cli dump ' 'B.XDX a.xdx out received'
expect 'velmora-cli dump a.xdx ' ''
expect 'velmora-cli import ' 'data.json out received'
expect 'velmora-cli import data.json ' 'B.XDX a.xdx out received'
expect 'velmora-cli import data.json b.xdx ' ''
expect 'velmora-cli resave a.xdx ' 'B.XDX a.xdx out received'
expect 'velmora-cli resave a.xdx b.xdx ' ''
expect 'velmora-cli pdf ' 'B.XDX a.xdx out received'
expect 'velmora-cli pdf a.xdx ' 'form.pdf out received'
expect 'velmora-cli pdf a.xdx f' 'form.pdf'
expect 'velmora-cli pdf --' '--help --out-dir --paper'
expect 'velmora-cli pdf --paper ' 'a4 letter'
expect 'velmora-cli pdf --paper l' 'letter'
expect 'velmora-cli pdf --paper letter a.xdx ' 'form.pdf out received'
expect 'velmora-cli pdf --out-dir ' 'out received'
expect 'velmora-cli pdf --out-dir out ' 'B.XDX a.xdx out received'
expect 'velmora-cli pdf --out-dir out a.xdx ' 'B.XDX a.xdx out received'
expect 'velmora-cli roster ' 'B.XDX a.xdx out received'
expect 'velmora-cli roster received --' '--help --out'
expect 'velmora-cli roster received --out ' 'out received roster.csv roster.xlsx'
expect 'velmora-cli unknown ' ''
expect 'velmora ' 'B.XDX a.xdx out received'
expect 'velmora -' '--version'

if ((failures)); then
  echo "$failures completion(s) wrong"
  exit 1
fi
echo "completion ok"

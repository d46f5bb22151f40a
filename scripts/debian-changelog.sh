#!/usr/bin/env bash
# Turns CHANGELOG.md into a Debian changelog on standard output: each
# "## VERSION (YYYY-MM-DD)" heading becomes an entry of PACKAGE, each "- "
# line a "  * " item (indented lines continue it), closed by the maintainer's
# line dated at noon UTC of that day.
#   scripts/debian-changelog.sh CHANGELOG.md PACKAGE "NAME <ADDRESS>"
set -euo pipefail
[[ $# -eq 3 ]] || { echo "usage: $0 CHANGELOG.md PACKAGE 'NAME <ADDRESS>'" >&2; exit 2; }
awk -v package="$2" -v maintainer="$3" '
  function fail(message) { print message > "/dev/stderr"; failed = 1; exit 1 }
  function close_entry() {
    if (!open) return
    if (!items) fail(FILENAME ": release " version " lists no change")
    cmd = "date -u -R -d \"" day " 12:00\""
    if ((cmd | getline stamp) <= 0) fail(FILENAME ": bad date " day)
    close(cmd)
    printf "\n -- %s  %s\n", maintainer, stamp
    open = 0
  }
  /^## / {
    close_entry()
    if (!match($0, /^## [0-9][0-9A-Za-z.+~-]* \([0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]\)$/)) {
      fail(FILENAME ":" FNR ": expected \"## VERSION (YYYY-MM-DD)\"")
    }
    version = $2; day = substr($3, 2, 10)
    if (entries++) print ""
    printf "%s (%s) unstable; urgency=medium\n\n", package, version
    open = 1; items = 0; next
  }
  open && /^- / { print "  * " substr($0, 3); items++; next }
  open && items && /^  +[^ ]/ { sub(/^ +/, ""); print "    " $0; next }
  open && /[^ ]/ { fail(FILENAME ":" FNR ": neither an item nor its continuation") }
  END {
    if (failed) exit 1
    close_entry()
    if (!entries) fail(FILENAME ": no release")
  }
' "$1"

#!/usr/bin/env bash
# Printing on Windows, as far as Wine takes it: the preview draws the sheets
# on a printer through its driver (Wine's PostScript driver), and the jobs
# arrive at a CUPS of the test's own (tests/cups/with_cups.sh) as PDF files.
# Each job carries the preview's title and the pages chosen, on A4, with
# the form drawn on them, and the copies asked of the driver. (Wine, like
# Windows' spooler, takes a job for a printer that refuses it and tells of
# the refusal itself: the program is told nothing it could pass on.)
#   print_under_wine.sh PRINT_SHEETS_EXE FIXTURE   (on an X display; run by with_cups.sh)
set -euo pipefail
exe=$1 fixture=$2
root=$(cd "$(dirname "$0")/../.." && pwd)
: "${VELMORA_PRINT_OUT:?run by tests/cups/with_cups.sh}"
work=$(mktemp -d)
# A Wine prefix of its own, made while this CUPS runs: Wine lists the
# printers CUPS has when the prefix is made.
export WINEPREFIX=$work/wine
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT
unset QT_QPA_PLATFORM
failures=0
fail() { echo "print_under_wine: $*" >&2; failures=$((failures + 1)); }
wine_run() { "$root/scripts/windows/wine-run.sh" "$@"; }

# job NUMBER: waits for the job's PDF (CUPS runs its filters meanwhile).
job() {
  for _ in $(seq 300); do
    [[ -s $VELMORA_PRINT_OUT/job-$1.pdf && -s $VELMORA_PRINT_OUT/job-$1.txt ]] && return 0
    sleep 0.1
  done
  fail "job $1 never arrived"
  return 1
}
pages() { pdfinfo "$1" | sed -n 's/^Pages: *//p'; }
# The share of a page's pixels that are not white, in thousandths.
ink() {
  pdftoppm -r 20 -gray -f "$2" -l "$2" "$1" "$work/page"
  python3 - "$work"/page*.pgm <<'PY'
import sys
data = open(sys.argv[1], 'rb').read().split(b'\n', 3)[3]
print(sum(1 for b in data if b < 200) * 1000 // len(data))
PY
  rm -f "$work"/page*.pgm
}

out=$(wine_run "$exe" "Z:$fixture" velmora-a4) || fail "printing the whole form: $out"
if job 1; then
  # Wine hands CUPS the job's name cut to half its characters (Windows'
  # spooler keeps it whole): "报表打印" arrives as "报表".
  grep -qx 'title=报表\(打印\)\?' "$VELMORA_PRINT_OUT/job-1.txt" ||
    fail "job 1 is not titled 报表打印: $(head -1 "$VELMORA_PRINT_OUT/job-1.txt")"
  grep -q 'media=A4' "$VELMORA_PRINT_OUT/job-1.txt" || fail "job 1 is not on A4"
  [[ $(pages "$VELMORA_PRINT_OUT/job-1.pdf") == 11 ]] || fail "job 1 has $(pages "$VELMORA_PRINT_OUT/job-1.pdf") pages, not the form's 11"
  for p in 1 11; do
    ((10#$(ink "$VELMORA_PRINT_OUT/job-1.pdf" $p) >= 5)) || fail "page $p of job 1 is blank"
  done
fi

out=$(wine_run "$exe" "Z:$fixture" velmora-a4 2-3) || fail "printing pages 2 to 3: $out"
if job 2; then
  [[ $(pages "$VELMORA_PRINT_OUT/job-2.pdf") == 2 ]] || fail "pages 2-3 came out as $(pages "$VELMORA_PRINT_OUT/job-2.pdf") pages"
fi

# Two copies: the driver's to make, so the job asks for them, and CUPS
# (pdftopdf, for this queue) makes them of the one page sent.
out=$(wine_run "$exe" "Z:$fixture" velmora-a4 1 2) || fail "printing two copies: $out"
if job 3; then
  grep -qx 'copies=2' "$VELMORA_PRINT_OUT/job-3.txt" || fail "job 3 asks for $(grep copies= "$VELMORA_PRINT_OUT/job-3.txt")"
  [[ $(pages "$VELMORA_PRINT_OUT/job-3.pdf") == 2 ]] ||
    fail "two copies of page 1 came out as $(pages "$VELMORA_PRINT_OUT/job-3.pdf") pages"
fi

((failures == 0)) || exit 1
echo "print_under_wine: the form printed through Wine's driver to CUPS"

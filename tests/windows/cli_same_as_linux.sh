#!/usr/bin/env bash
# cli_same_as_linux.sh LINUX_CLI WINDOWS_CLI_EXE
#
# Runs the Linux velmora-cli and the Windows velmora-cli.exe (under Wine)
# with the same arguments on the same documents, and compares what each
# prints on standard output and standard error, its exit code, and every
# file it leaves behind. Each program works in a folder of its own holding
# the same documents, so most arguments are relative and read the same;
# where one is absolute (given as @/...), @ stands for that folder: the
# Linux path there, "Z:" and the same path for Wine. Only that prefix is
# normalised in what the programs print and write, nothing else.
#
# What may differ between two runs on one system is masked as well: the
# identifier a save gives a document (a new GUID each time) and the time a
# workbook was made (docProps/core.xml). Workbooks are compared unpacked:
# the zip library's compression may differ between the two builds of zlib.
# PDFs are compared only when both sides have a printing program, by their
# start: they hold the moment they were made.
set -euo pipefail
linux=$(realpath "$1")
windows=$(realpath "$2")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
wine_run=$root/scripts/windows/wine-run.sh
fixtures=$root/tests/fixtures

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
L=$work/linux
W=$work/windows
export L W

# The same documents on both sides.
for side in "$L" "$W"; do
  mkdir -p "$side/in/二 组" "$side/in/dup" "$side/empty" "$side/out" "$side/gb18030"
  for f in sample formal fresh-required empty-items wrong-version malformed mixed-element utf8 utf16 only-ver \
    empty-root; do
    cp "$fixtures/$f.xdx" "$side/in/$f.xdx"
  done
  # Apart from the folder the batches read: see the GB18030 case below.
  cp "$fixtures/gb18030.xdx" "$side/gb18030/gb18030.xdx"
  cp "$fixtures/sample.xdx" "$side/in/二 组/张三.xdx"
  cp "$fixtures/fresh-required.xdx" "$side/in/dup/sample.xdx"
  printf 'not a document\n' >"$side/notes.txt"
  printf '{"ProjectName":"课题","Presider":"王","Sex":"X.男"}' >"$side/bad.json"
done
"$linux" dump "$fixtures/empty-items.xdx" >"$L/record.json" || true
cp "$L/record.json" "$W/record.json"

# Printing: both sides print when both have their printing program beside
# them; else both run without one (a copy of the Linux program alone), so
# that what happens then is compared.
if [[ -x $(dirname "$linux")/velmora-print && -f $(dirname "$windows")/velmora-print.exe ]]; then
  printing=yes
else
  printing=no
  mkdir -p "$work/bin"
  cp "$linux" "$work/bin/velmora-cli"
  linux=$work/bin/velmora-cli
fi

# The side's folder in what it printed or wrote, as "@".
normalise_linux() { perl -pe 's/\Q$ENV{L}\E/@/g'; }
normalise_windows() {
  perl -pe 'BEGIN { $f = "Z:$ENV{W}"; ($b = $f) =~ s{/}{\\}g; ($j = $b) =~ s{\\}{\\\\}g }
            s/\Q$f\E/@/g; s/\Q$j\E/@/g; s/\Q$b\E/@/g'
}
mask_identifier() { LC_ALL=C sed -E 's/<ProjectID>\{[0-9A-Fa-f-]{36}\}</<ProjectID>{…}</'; }
mask_time() { LC_ALL=C sed -E 's/(<dcterms:(created|modified)[^>]*>)[^<]*/\1…/g'; }

# The files a case wrote (newer than $work/stamp) in both folders: the
# same names, with the same content.
written() { (cd "$1" && find . -type f -newer "$work/stamp" | LC_ALL=C sort); }
compare_files() {
  local same=0 f x
  if ! diff <(written "$L") <(written "$W") >"$work/names.diff"; then
    echo "  files written differ (< Linux, > Windows):"
    sed 's/^/    /' "$work/names.diff"
    return 1
  fi
  while IFS= read -r f; do
    case $f in
      *.xlsx)
        rm -rf "$work/xl" "$work/xw"
        unzip -q "$L/$f" -d "$work/xl"
        unzip -q "$W/$f" -d "$work/xw"
        while IFS= read -r x; do
          mask_time <"$work/xl/$x" | normalise_linux >"$work/masked" && mv "$work/masked" "$work/xl/$x"
        done < <(cd "$work/xl" && find . -type f)
        while IFS= read -r x; do
          mask_time <"$work/xw/$x" | normalise_windows >"$work/masked" && mv "$work/masked" "$work/xw/$x"
        done < <(cd "$work/xw" && find . -type f)
        diff -r "$work/xl" "$work/xw" >/dev/null || {
          echo "  $f: the workbooks differ"
          diff -r "$work/xl" "$work/xw" | head -20 | cut -c1-400 | sed 's/^/    /'
          same=1
        }
        ;;
      *.pdf)
        # The faces differ (Windows' own against Debian's), so the bytes do:
        # the same sheets with the same text, in the same order.
        if [[ $(head -c5 "$L/$f") != %PDF- || $(head -c5 "$W/$f") != %PDF- ]]; then
          echo "  $f: not a PDF on both sides"
          same=1
        elif [[ $(pdfinfo "$L/$f" | grep '^Pages:') != $(pdfinfo "$W/$f" | grep '^Pages:') ]]; then
          echo "  $f: $(pdfinfo "$L/$f" | grep '^Pages:') on Linux, $(pdfinfo "$W/$f" | grep '^Pages:') on Windows"
          same=1
        elif ! cmp -s <(pdftotext "$L/$f" - | tr -d '[:space:]') <(pdftotext "$W/$f" - | tr -d '[:space:]'); then
          echo "  $f: the text differs"
          diff <(pdftotext "$L/$f" - | tr -d '[:space:]' | fold -w 60) \
            <(pdftotext "$W/$f" - | tr -d '[:space:]' | fold -w 60) | head -10 | sed 's/^/    /'
          same=1
        fi
        ;;
      *)
        cmp -s <(mask_identifier <"$L/$f" | normalise_linux) <(mask_identifier <"$W/$f" | normalise_windows) || {
          echo "  $f: the bytes differ"
          cmp <(mask_identifier <"$L/$f" | normalise_linux) <(mask_identifier <"$W/$f" | normalise_windows) |
            sed 's/^/    /' || true
          same=1
        }
        ;;
    esac
  done < <(written "$L")
  return $same
}

cases=0
differing=0
known_differences=0
# run NAME ARGS...: runs both programs in their folders; $input, when set,
# names a file given as standard input; $known, when set, says why the two
# are known to differ under Wine (it is then no failure, but shown).
run() {
  local name=$1 a
  shift
  local linux_args=() windows_args=()
  for a in "$@"; do
    linux_args+=("${a//@/$L}")
    windows_args+=("${a//@/Z:$W}")
  done
  local in=${input:-/dev/null}
  touch "$work/stamp"
  sleep 0.01
  set +e
  (cd "$L" && LC_ALL=C.UTF-8 LANGUAGE= "$linux" "${linux_args[@]}" <"$in" >"$work/l.out" 2>"$work/l.err")
  local linux_exit=$?
  local windows_exit attempt
  for attempt in 1 2; do
    (cd "$W" && "$wine_run" "$windows" "${windows_args[@]}" <"$in" >"$work/w.out" 2>"$work/w.err")
    windows_exit=$?
    # Wine's own client, not the program, sometimes loses its server on a
    # loaded machine and says so in the middle of the program's output: run
    # such a case once more.
    grep -q 'wine client error' "$work/w.err" || break
    echo "  (Wine's client failed on $name; run again)"
  done
  set -e
  cases=$((cases + 1))
  local report=""
  [[ $linux_exit == "$windows_exit" ]] || report+="  exit code: Linux $linux_exit, Windows $windows_exit"$'\n'
  for stream in out err; do
    if ! cmp -s <(normalise_linux <"$work/l.$stream") <(normalise_windows <"$work/w.$stream"); then
      report+="  standard $stream (< Linux, > Windows):"$'\n'
      report+=$(diff <(normalise_linux <"$work/l.$stream") <(normalise_windows <"$work/w.$stream") | head -20 |
        sed 's/^/    /' || true)$'\n'
    fi
  done
  report+=$(compare_files || true)
  if [[ -z ${report//$'\n'/} ]]; then
    echo "same: $name"
  elif [[ -n ${known:-} ]]; then
    known_differences=$((known_differences + 1))
    echo "different as known ($known): $name"
    printf '%s\n' "$report" | head -8
  else
    differing=$((differing + 1))
    echo "DIFFERENT: $name"
    printf '%s\n' "$report"
  fi
}

run "version" --version
run "help" --help
run "check's help" check --help
run "roster's help" roster --help
run "no command"
run "unknown option" check --jsn in/sample.xdx
run "too many files" dump in/sample.xdx in/formal.xdx
run "bad paper" pdf --paper a3 in/sample.xdx out/x.pdf

run "check a complete document" check in/sample.xdx
run "check a document with problems" check in/fresh-required.xdx
run "check documents refused" check in/wrong-version.xdx in/malformed.xdx in/mixed-element.xdx in/missing.xdx notes.txt
run "check every encoding" check in/utf8.xdx in/utf16.xdx in/only-ver.xdx in/empty-root.xdx
known="Wine has no GB18030 code page, which Windows has" run "check GB18030" check gb18030/gb18030.xdx
run "check a folder" check ./in
run "check a folder as JSON" check --json ./in
run "check a folder by its full path" check --json @/in
run "check an empty folder" check ./empty
run "check a Chinese name" check "in/二 组/张三.xdx"
run "check after --" check -- in/sample.xdx

run "dump" dump in/sample.xdx
run "dump a formal document" dump in/formal.xdx
run "dump a refused document" dump in/wrong-version.xdx

run "import" import record.json out/imported.xdx
run "import into a Chinese name" import record.json "out/导入 一.xdx"
run "import what breaks the rules" import bad.json out/bad.xdx
run "import a missing file" import missing.json out/x.xdx
run "import onto its own input" import record.json record.json
input=$L/record.json run "import standard input" import - out/stdin.xdx
input=$L/record.json run "import standard input onto a text" import - notes.txt

run "resave" resave in/empty-items.xdx out/resaved.xdx
run "resave a formal document" resave in/formal.xdx out/formal.xdx
run "resave onto itself" resave in/sample.xdx in/sample.xdx
run "resave into no folder" resave in/sample.xdx out/no/such/x.xdx
run "resave by full paths" resave @/in/sample.xdx @/out/full.xdx

run "roster as CSV" roster ./in --out out/roster.csv
run "roster as workbook" roster ./in --out out/roster.xlsx
run "roster by full paths" roster @/in --out @/out/full.csv
run "roster of another kind" roster ./in --out out/roster.ods
run "roster onto a document" roster in/sample.xdx --out in/formal.xdx

run "pdf onto its input" pdf in/sample.xdx in/sample.xdx
run "pdf onto a document" pdf in/sample.xdx in/formal.xdx
run "pdf without a name" pdf in/sample.xdx ""
run "pdf batch whose outputs collide" pdf --out-dir out/pdf in/sample.xdx in/dup/sample.xdx
run "pdf batch of an empty folder" pdf --out-dir out/pdf ./empty
run "pdf" pdf in/sample.xdx out/sample.pdf
run "pdf batch" pdf --out-dir out/pdf "./in/二 组" in/formal.xdx

echo
echo "$cases cases, $differing different, $known_differences different as known; printing compared: $printing"
[[ $differing == 0 ]]

#!/usr/bin/env bash
# Each folder includes only the folders beneath it: a rule that reaches
# upwards (a record needing the form state, a report needing the actions)
# is a rule in the wrong place. The window (app/) may use everything;
# velmora-cli (cli/) the core, and the printed form only from velmora-print,
# its one door to report/. Only app/ uses QtWidgets; report/ uses QtGui, and
# nothing of cli/ but velmora-print uses Qt at all.
set -euo pipefail
cd "$(dirname "$0")/../.."
declare -A allowed=(
  [record]="record"
  [check]="check record"
  [format]="format record"
  [document]="document format check record"
  [exchange]="exchange record"
  [report]="report record"
  [cli]="cli document exchange format check record"
  [app]="app document exchange format check record report"
)
# Single files with a wider door, and why.
declare -A allowed_file=(
  [cli/print_main.cpp]="report"
)
status=0
for folder in "${!allowed[@]}"; do
  [[ -d $folder ]] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$line")
    if [[ " ${allowed[$folder]} ${allowed_file[$file]:-} " != *" $included "* ]]; then
      echo "$file includes $included/, which $folder/ must not reach: ${line#*:}"
      status=1
    fi
  done < <(grep -rnE '^#include "[a-z_]+/' "$folder" || true)
done

# Qt: widgets only in the window, nothing of Qt in velmora-cli.
widgets='^#include <(QtWidgets|QAbstract(Button|ItemView|ScrollArea|Spin)|QApplication|QCheckBox|QComboBox|QDialog|QLabel|QLineEdit|QMainWindow|QMessageBox|QPlainTextEdit|QPrintDialog|QPushButton|QScrollArea|QSpinBox|QTabWidget|QTableWidget|QToolBar|QWidget)[>.]'
while IFS= read -r line; do
  echo "QtWidgets outside app/: $line"
  status=1
done < <(grep -rnE "$widgets" record check format document exchange report cli || true)
while IFS= read -r line; do
  [[ ${line%%:*} == cli/print_main.cpp ]] && continue
  echo "Qt in velmora-cli: $line"
  status=1
done < <(grep -rnE '^#include <Q' cli || true)
exit $status

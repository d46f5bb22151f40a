#!/usr/bin/env bash
# installer_test.sh STAGED_DIR SETUP_EXE
#
# Installs and uninstalls the Windows installer (make-installer.sh) silently
# under Wine, in a Wine prefix of its own in a temporary folder, removed at
# the end. STAGED_DIR is the folder it was made from
# (build-windows/velmora-<version>-win64), the version taken from its name.
# Three rounds:
#   CurrentUser  /S /CurrentUser: %LOCALAPPDATA%\Programs\Velmora, HKCU and
#                the user's Start menu;
#   AllUsers     /S /AllUsers: Program Files\Velmora, HKLM and the common
#                Start menu;
#   again        per user into a folder given with /D= (with Chinese in its
#                name), installed over by a second run without /D=, which
#                must go to the same folder; before uninstalling, a file of
#                the user's is put into the folder and .xdx given to another
#                program: both must stay.
# After each install: every staged file is in place and the same, with the
# installer's own three beside it and nothing else; the registry (read back
# through `reg export`, whose UTF-16 file keeps the Chinese exactly); the
# Start-menu shortcut; nothing in the other mode's hive; the installed
# programs start from their folder alone (no WINEPATH) and tell the version.
# Uninstalling runs the registered QuietUninstallString, as Windows' own
# "Apps" list would, and waits for the copy NSIS starts from %TEMP%: after
# it, no file or folder, shortcut or registry key of the program is left.
# Prints one line per failed check; exits 1 if there was any.
set -uo pipefail
if (($# != 2)); then
  echo "usage: $0 STAGED_DIR SETUP_EXE" >&2
  exit 2
fi
stage=$(realpath "$1")
setup=$(realpath "$2")
[[ -d $stage && -f $setup ]] || { echo "$0: no folder $1 or no file $2" >&2; exit 2; }
if [[ ! $(basename "$stage") =~ ^velmora-([0-9.]+)-win64$ ]]; then
  echo "$0: $stage is not named velmora-<version>-win64" >&2
  exit 2
fi
version=${BASH_REMATCH[1]}
app_name='Velmora课题申报系统（个人版）'
type_name='XDX数据交换文件'
progid=Velmora.xdx
uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora'
[[ -f $stage/velmora.exe ]] || { echo "$0: no velmora.exe in $stage" >&2; exit 2; }

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
scratch=$(mktemp -d)
export WINEPREFIX=$scratch/wine
export WINEDEBUG=-all
# No Mono or Gecko to install; and no winemenubuilder, which would turn the
# shortcut and the document type into menu entries and MIME types in this
# user's own home.
export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
export XDG_DATA_HOME=$scratch/xdg-data XDG_CONFIG_HOME=$scratch/xdg-config
# Wine reads file names and arguments in the locale's encoding.
export LC_ALL=C.UTF-8
# The installed programs must start from their own folder, not find the
# build's DLLs; a silent install needs no display.
unset WINEPATH DISPLAY WAYLAND_DISPLAY
cleanup() {
  "$wineserver" -k 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
cd "$scratch" || exit 2

failures=0
round=
fail() {
  echo "FAIL [$round]: $*"
  failures=$((failures + 1))
}
expect() { # WHAT EXPECTED ACTUAL
  [[ $2 == "$3" ]] || fail "$1: expected '$2', got '$3'"
}

# A variable of Windows' environment, as a program there sees it.
win_env() {
  local v
  v=$("$wine" cmd /c echo "%$1%" 2>/dev/null | tr -d '\r')
  [[ $v != "%$1%" && -n $v ]] || { echo "$0: Wine has no %$1%" >&2; exit 2; }
  printf '%s' "$v"
}
unix_path() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
reg_has() { "$wine" reg query "$1" >/dev/null 2>&1; }
# A value under KEY (HKCU\... or HKLM\...; "" is the default value), as
# `reg export` writes it: a string with its escapes undone, dword:XXXXXXXX
# otherwise. Fails when the key or the value is not there.
reg_get() {
  local key=$1 name=$2 file=$scratch/export.reg
  rm -f "$file"
  "$wine" reg export "$key" "Z:${file//\//\\}" /y >/dev/null 2>&1 || return 1
  local long=${key/#HKCU\\/HKEY_CURRENT_USER\\}
  long=${long/#HKLM\\/HKEY_LOCAL_MACHINE\\}
  local prefix='@='
  [[ -n $name ]] && prefix="\"$name\"="
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | SECTION="[$long]" PREFIX=$prefix awk '
    BEGIN { section = tolower(ENVIRON["SECTION"]); prefix = ENVIRON["PREFIX"] }
    /^\[/ { inside = (tolower($0) == section); next }
    inside && index($0, prefix) == 1 {
      v = substr($0, length(prefix) + 1)
      if (v ~ /^".*"$/) {
        s = substr(v, 2, length(v) - 2); v = ""
        for (i = 1; i <= length(s); i++) {
          c = substr(s, i, 1)
          if (c == "\\") { i++; c = substr(s, i, 1) }
          v = v c
        }
      }
      print v; found = 1; exit
    }
    END { exit !found }'
}
# Every file (f) and folder (d) under a folder, by path.
listing() {
  (cd "$1" && find . -mindepth 1 \( -type d -printf 'd %P\n' \) -o \( -type f -printf 'f %P\n' \) \
    -o -printf '? %P\n') | LC_ALL=C sort
}
# Bytes as hex, to look for a UTF-16 string in a binary file.
hex() { od -An -v -tx1 | tr -d ' \n'; }

install() { # ARGS...
  "$wine" "$setup" "$@" >/dev/null 2>&1
  local rc=$?
  expect "exit code of setup $*" 0 "$rc"
}

# MODE (CurrentUser or AllUsers) and the folder the program is expected in.
check_installed() {
  local mode=$1 inst_win=$2 hive other menu_win
  if [[ $mode == CurrentUser ]]; then
    hive=HKCU other=HKLM menu_win=$user_menu
  else
    hive=HKLM other=HKCU menu_win=$common_menu
  fi
  local inst menu
  inst=$(unix_path "$inst_win")
  menu=$(unix_path "$menu_win")
  if [[ ! -d $inst ]]; then
    fail "nothing installed in $inst_win"
    return
  fi

  # The files: the staged ones, unchanged, and the installer's own.
  local line
  while IFS= read -r line; do
    fail "install folder: $line"
  done < <(diff <({ listing "$stage"; printf 'f %s\n' uninstall.exe velmora.ico velmora-xdx.ico; } | LC_ALL=C sort) \
    <(listing "$inst") | sed -n 's/^< /missing: /p; s/^> /not staged: /p')
  local f
  while IFS= read -r -d '' f; do
    [[ -f $inst/$f ]] && ! cmp -s "$stage/$f" "$inst/$f" && fail "$f differs from the staged one"
  done < <(cd "$stage" && find . -type f -printf '%P\0')
  for f in velmora.ico velmora-xdx.ico; do
    # An icon file starts with reserved 0, type 1 (icon).
    [[ -f $inst/$f && $(head -c 4 "$inst/$f" | hex) == 00000100 ]] || fail "$f is not an icon"
  done

  # Add/Remove Programs.
  local key="$hive\\$uninstall_key" uninstaller="\"$inst_win\\uninstall.exe\" /$mode"
  expect DisplayName "$app_name" "$(reg_get "$key" DisplayName)"
  expect DisplayVersion "$version" "$(reg_get "$key" DisplayVersion)"
  expect Publisher Velmora "$(reg_get "$key" Publisher)"
  expect DisplayIcon "$inst_win\\velmora.ico" "$(reg_get "$key" DisplayIcon)"
  expect InstallLocation "$inst_win" "$(reg_get "$key" InstallLocation)"
  expect UninstallString "$uninstaller" "$(reg_get "$key" UninstallString)"
  expect QuietUninstallString "$uninstaller /S" "$(reg_get "$key" QuietUninstallString)"
  expect NoModify dword:00000001 "$(reg_get "$key" NoModify)"
  expect NoRepair dword:00000001 "$(reg_get "$key" NoRepair)"
  # In KiB: what the files take, give or take a rounding per file.
  local size kib count
  size=$(reg_get "$key" EstimatedSize)
  kib=$(find "$inst" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
  count=$(find "$inst" -type f | wc -l)
  if [[ $size =~ ^dword:([0-9a-f]{8})$ ]]; then
    size=$((16#${BASH_REMATCH[1]}))
    ((size >= kib - count && size <= kib + count)) || fail "EstimatedSize $size KiB, the files take $kib KiB"
  else
    fail "EstimatedSize is '$size'"
  fi
  reg_has "$other\\$uninstall_key" && fail "$other has an Uninstall key as well"

  # The document type and the shortcut.
  local classes="$hive\\Software\\Classes" lnk="$menu/Velmora/$app_name.lnk"
  expect ".xdx's type" "$progid" "$(reg_get "$classes\\.xdx" "")"
  expect ".xdx's OpenWithProgids" "" "$(reg_get "$classes\\.xdx\\OpenWithProgids" "$progid" || echo absent)"
  expect "$progid's name" "$type_name" "$(reg_get "$classes\\$progid" "")"
  expect "$progid's DefaultIcon" "\"$inst_win\\velmora-xdx.ico\",0" "$(reg_get "$classes\\$progid\\DefaultIcon" "")"
  expect "$progid's open command" "\"$inst_win\\velmora.exe\" \"%1\"" \
    "$(reg_get "$classes\\$progid\\shell\\open\\command" "")"
  if [[ -f $lnk ]]; then
    # The target is kept as a list of names, folder by folder, in UTF-16
    # (its one whole path is in the ANSI code page, "?" for Chinese):
    # split at the backslashes (\134).
    local item pattern=""
    while IFS= read -r item; do
      pattern+=".*$(printf '%s' "$item" | iconv -f UTF-8 -t UTF-16LE | hex)"
    done < <(printf '%s\n' "${inst_win#?:\\}\\velmora.exe" | tr '\134' '\n')
    [[ $(hex <"$lnk") =~ $pattern ]] || fail "the shortcut does not lead to $inst_win\\velmora.exe"
  else
    fail "no shortcut $menu_win\\Velmora\\$app_name.lnk"
  fi
  reg_has "$other\\Software\\Classes\\.xdx" && fail ".xdx registered in $other as well"
  reg_has "$other\\Software\\Classes\\$progid" && fail "$progid registered in $other as well"

  # The installed programs start.
  local exe out rc
  for exe in velmora-cli.exe velmora.exe; do
    out=$("$wine" "$inst/$exe" --version 2>&1 | tr -d '\r')
    rc=${PIPESTATUS[0]}
    expect "exit code of $exe --version" 0 "$rc"
    [[ $out =~ (^|[^0-9.])${version//./\\.}([^0-9.]|$) ]] || fail "$exe --version says '$out', not $version"
  done
}

# Runs the registered QuietUninstallString and waits for it to finish.
uninstall() {
  local hive=$1 quiet rc
  quiet=$(reg_get "$hive\\$uninstall_key" QuietUninstallString)
  if [[ ! $quiet =~ ^\"([^\"]+)\"(.*)$ ]]; then
    fail "no QuietUninstallString to run ('$quiet')"
    return
  fi
  local exe=${BASH_REMATCH[1]} args
  read -r -a args <<<"${BASH_REMATCH[2]}"
  "$wine" "$exe" "${args[@]}" >/dev/null 2>&1
  rc=$?
  expect "exit code of the uninstaller" 0 "$rc"
  # The uninstaller starts a copy of itself from %TEMP% (so that it can
  # remove its own file) and returns: wait for every Wine process to end.
  timeout 120 "$wineserver" -w || fail "the uninstaller still runs after 2 minutes"
}

# MODE, the folder, and what is expected to remain in it ("" for nothing).
check_removed() {
  local mode=$1 inst_win=$2 left=$3 hive menu_win inst menu
  if [[ $mode == CurrentUser ]]; then
    hive=HKCU menu_win=$user_menu
  else
    hive=HKLM menu_win=$common_menu
  fi
  inst=$(unix_path "$inst_win")
  menu=$(unix_path "$menu_win")
  if [[ -z $left ]]; then
    [[ -e $inst ]] && fail "the install folder is still there, holding: $(listing "$inst" | tr '\n' ' ')"
  else
    expect "what is left in the install folder" "$left" "$(listing "$inst" 2>/dev/null | tr '\n' ' ')"
  fi
  [[ -e "$menu/Velmora/$app_name.lnk" ]] && fail "the shortcut is still there"
  [[ -e "$menu/Velmora" ]] && fail "the Start menu folder is still there"
  reg_has "$hive\\$uninstall_key" && fail "the Uninstall key is still there"
  reg_has "$hive\\Software\\Classes\\$progid" && fail "$progid is still registered"
}

"$wine" wineboot --init >/dev/null 2>&1
local_appdata=$(win_env LOCALAPPDATA) || exit 2
program_files=$(win_env ProgramW6432) || exit 2
user_menu="$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs" || exit 2
common_menu="$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs" || exit 2

round=CurrentUser
inst_win="$local_appdata\\Programs\\Velmora"
install /S /CurrentUser
check_installed CurrentUser "$inst_win"
uninstall HKCU
check_removed CurrentUser "$inst_win" ""
reg_has 'HKCU\Software\Classes\.xdx' && fail ".xdx is still registered"

round=AllUsers
inst_win="$program_files\\Velmora"
per_user=$(unix_path "$local_appdata\\Programs\\Velmora")
[[ -e $per_user ]] && per_user_before=yes || per_user_before=no
install /S /AllUsers
check_installed AllUsers "$inst_win"
[[ $per_user_before == no && -e $per_user ]] && fail "installed per user as well"
uninstall HKLM
check_removed AllUsers "$inst_win" ""
reg_has 'HKLM\Software\Classes\.xdx' && fail ".xdx is still registered"

round=again
inst_win='C:\Velmora测试'
install /S /CurrentUser "/D=$inst_win"
check_installed CurrentUser "$inst_win"
[[ -e $per_user ]] && per_user_before=yes || per_user_before=no
install /S /CurrentUser
check_installed CurrentUser "$inst_win"
[[ $per_user_before == no && -e $per_user ]] && fail "the second install went to the default folder"
printf '笔记\r\n' >"$(unix_path "$inst_win")/我的笔记.txt"
"$wine" reg add 'HKCU\Software\Classes\.xdx' /ve /d Other.xdx /f >/dev/null 2>&1
uninstall HKCU
check_removed CurrentUser "$inst_win" "f 我的笔记.txt "
expect ".xdx's type, given to another program" Other.xdx "$(reg_get 'HKCU\Software\Classes\.xdx' "")"
reg_get 'HKCU\Software\Classes\.xdx\OpenWithProgids' "$progid" >/dev/null && fail "$progid still in OpenWithProgids"

((failures == 0)) || { echo "$failures failed"; exit 1; }

#!/usr/bin/env bash
# Makes build-windows/velmora-<version>-win64-setup.exe from the staged
# folder build-windows/velmora-<version>-win64/ (package.sh) and the icons in
# build-windows/icons/ (make-icons.sh), with installer.nsi.
# The installer's lists of files to install and to remove are made here from
# the staged folder, into build-windows/installer-files.nsh, so that the
# uninstaller removes exactly what was installed and nothing else.
# Prints the installer's path; nothing else unless something is wrong.
# Usage: make-installer.sh VERSION
# shellcheck disable=SC2016 # $INSTDIR is NSIS's, written out as it is
set -euo pipefail
(($# == 1)) || { echo "usage: $0 VERSION" >&2; exit 2; }
cd "$(dirname "$0")/../.."
version=$1
build=$PWD/build-windows
stage=$build/velmora-$version-win64
icons=$build/icons
lists=$build/installer-files.nsh
setup=$build/velmora-$version-win64-setup.exe

fail() { echo "make-installer.sh: $*" >&2; exit 1; }
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || fail "version '$version' is not one to four numbers"
# The folder's path goes into NSIS strings as it is.
[[ $build != *[\$\"]* ]] || fail "the path $build holds \$ or \", which makensis would misread"
[[ -d $stage ]] || fail "no staged folder $stage (scripts/windows/package.sh $version makes it)"
[[ -f $stage/velmora.exe ]] || fail "no velmora.exe in $stage: the installer opens documents with it"
[[ -f $stage/LICENSE.txt ]] || fail "$stage has no LICENSE.txt"
for ico in velmora.ico velmora-xdx.ico; do
  [[ -f $icons/$ico ]] || fail "no $icons/$ico (scripts/windows/make-icons.sh $icons makes it)"
done
# The installer adds these itself.
for own in uninstall.exe velmora.ico velmora-xdx.ico; do
  [[ ! -e $stage/$own ]] || fail "$stage holds $own, which the installer writes itself"
done

# Windows file properties want four numbers.
IFS=. read -r -a parts <<<"$version"
while ((${#parts[@]} < 4)); do parts+=(0); done
version4=$(IFS=.; echo "${parts[*]}")

# A file of the staged folder, quoted for NSIS: under the folder ROOT, or
# under $INSTDIR when ROOT is '$INSTDIR'. Under $INSTDIR, where the string is
# read when the installer runs, a $ in a name is doubled (it marks NSIS's
# variables); makensis reads File's source path as it is.
nsis_path() {
  if [[ $1 == '$INSTDIR' ]]; then
    local rel=${2//\$/\$\$}
    printf '"$INSTDIR\\%s"' "${rel//\//\\}"
  else
    printf '"%s/%s"' "$1" "$2"
  fi
}

mapfile -d '' -t dirs < <(cd "$stage" && find . -mindepth 1 -type d -printf '%P\0' | LC_ALL=C sort -z)
mapfile -d '' -t files < <(cd "$stage" && find . -mindepth 1 -type f -printf '%P\0' | LC_ALL=C sort -z)
mapfile -d '' -t others < <(cd "$stage" && find . -mindepth 1 ! -type f ! -type d -printf '%P\0')
((${#others[@]} == 0)) || fail "$stage holds what is neither file nor folder: ${others[*]}"
for p in "${dirs[@]}" "${files[@]}"; do
  # What Windows cannot name, or NSIS would take for a wildcard.
  [[ $p != *[\\:*?\"\<\>\|]* ]] || fail "'$p' cannot be a Windows file name"
done

{
  printf '\xef\xbb\xbf'
  echo "; Made by scripts/windows/make-installer.sh from $stage; do not edit."
  echo '!macro VELMORA_INSTALL_FILES'
  echo '  SetOutPath "$INSTDIR"'
  # Files in the top folder first, then folder by folder; SetOutPath makes
  # every folder, an empty one too.
  for f in "${files[@]}"; do
    [[ $f == */* ]] && continue
    echo "  File $(nsis_path "$stage" "$f")"
  done
  for d in "${dirs[@]}"; do
    echo "  SetOutPath $(nsis_path '$INSTDIR' "$d")"
    for f in "${files[@]}"; do
      [[ $f == "$d"/* && ${f#"$d"/} != */* ]] || continue
      echo "  File $(nsis_path "$stage" "$f")"
    done
  done
  echo '!macroend'
  echo '!macro VELMORA_UNINSTALL_FILES'
  for f in "${files[@]}"; do
    echo "  Delete $(nsis_path '$INSTDIR' "$f")"
  done
  # Deepest first; plain RMDir leaves a folder that still holds something.
  for ((i = ${#dirs[@]} - 1; i >= 0; i--)); do
    echo "  RMDir $(nsis_path '$INSTDIR' "${dirs[i]}")"
  done
  echo '!macroend'
} >"$lists"

rm -f "$setup"
# -V2: warnings and errors only; -WX: a warning fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 \
  "-DVERSION=$version" "-DVERSION4=$version4" "-DSTAGE=$stage" "-DICONS=$icons" \
  "-DFILES=$lists" "-DOUTFILE=$setup" scripts/windows/installer.nsi
[[ -f $setup ]] || fail "makensis made no $setup"
echo "${setup#"$PWD/"}"

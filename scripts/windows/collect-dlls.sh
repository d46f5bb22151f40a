#!/usr/bin/env bash
# Copies into FOLDER every DLL the given Windows programs need, found by
# walking their imports (and those of each DLL copied) through the
# cross-built libraries, MinGW's runtime and Qt's plugins' own imports. DLLs
# of Windows itself are left to Windows. Fails naming a DLL it cannot find.
# Usage: collect-dlls.sh FOLDER PROGRAM.exe|LIBRARY.dll...
set -euo pipefail
folder=$1
shift
prefix=${VELMORA_WINDOWS_PREFIX:?names the prefix of the cross-built libraries}
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
search=("$prefix/bin" "$gcc_runtime" /usr/x86_64-w64-mingw32/lib)
mkdir -p "$folder"

imports() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; }

find_dll() {
  local d
  for d in "${search[@]}"; do
    # Windows matches DLL names without regard to case.
    local hit
    hit=$(find "$d" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
    [[ -n $hit ]] && { echo "$hit"; return 0; }
  done
  return 1
}

declare -A seen=()
queue=("$@")
while ((${#queue[@]})); do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r dll; do
    key=${dll,,}
    [[ -n ${seen[$key]:-} ]] && continue
    seen[$key]=1
    if found=$(find_dll "$dll"); then
      cp -u "$found" "$folder/"
      queue+=("$found")
    elif [[ ! -e /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/$key && $key != api-ms-win-* ]]; then
      # Neither ours nor one of Windows' own (Wine ships those): missing.
      echo "collect-dlls: $dll (needed by $(basename "$file")) not found" >&2
      exit 1
    fi
  done < <(imports "$file")
done

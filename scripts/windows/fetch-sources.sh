#!/usr/bin/env bash
# Fetches Debian's source packages of the libraries the Windows build needs,
# at the versions the Linux build uses, into $1 (a folder of the cache).
# apt's own sources are mirrored as deb-src entries into a private apt
# configuration inside the cache, so the system's configuration is left as
# it is and no host is named here. Does nothing for a package already there.
set -euo pipefail
cache=$1
shift
apt_dir=$cache/apt
mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$cache/src"
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/sources.list"
  -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)"
)

# The source entries beside every binary one, in both of apt's formats.
mirror_sources() {
  : >"$apt_dir/sources.list"
  if [[ -f /etc/apt/sources.list ]]; then
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list >>"$apt_dir/sources.list"
  fi
  local f
  for f in /etc/apt/sources.list.d/*.list; do
    [[ -f $f ]] && sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f" >>"$apt_dir/sources.list"
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -f $f ]] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources.list.d/$(basename "$f")"
  done
}

# The source version of the installed binary package, so that both builds
# are made of the same code.
installed_source_version() {
  dpkg-query -W -f='${source:Version}' "$1"
}

updated=0
for wanted in "$@"; do
  source_name=${wanted%%:*}
  binary=${wanted#*:}
  version=$(installed_source_version "$binary")
  upstream=${version#*:}
  upstream=${upstream%-*}
  if compgen -G "$cache/src/${source_name}-${upstream%%+*}*/" >/dev/null; then
    continue
  fi
  if ((updated == 0)); then
    mirror_sources
    apt-get "${apt_opts[@]}" update -qq
    updated=1
  fi
  echo "Fetching the source of $source_name $version" >&2
  # dpkg-source warns about Debian's own patches; only a failure is shown.
  if ! (cd "$cache/src" && apt-get "${apt_opts[@]}" source -qq "$source_name=$version") >"$cache/src/fetch.log" 2>&1; then
    cat "$cache/src/fetch.log" >&2
    exit 1
  fi
done

#!/usr/bin/env bash
# Builds the Debian package from the build folder given and checks it as a
# distribution would: its contents, control fields, changelog, copyright,
# icons and hardened binaries, then lintian (no tag at all, pedantic ones
# included, unless overridden with a reason in data/velmora.lintian-overrides).
# When running as root on a machine where that is allowed (CI, a developer's
# box), it installs the package with dpkg, opens a document with xdg-open and
# presses help on an X display of its own, removes the package and checks
# that nothing is left behind.
#   check_package.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
src=$(realpath "$2")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cd "$build"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)
failures=0
fail() { echo "$*"; failures=$((failures + 1)); }

# Reproducible: a second package of the same build, made a second later,
# is the same file, byte for byte.
sleep 1
mkdir "$out/again"
cpack -G DEB -B "$out/again" >"$out/cpack-again.log" 2>&1 || { cat "$out/cpack-again.log"; exit 1; }
cmp -s "$deb" "$out/again/$(basename "$deb")" || fail "two packages of the same build differ"

# An installation from source carries none of the Debian package's own
# files (a distribution adds its own).
cmake --install "$build" --prefix "$out/staged" >/dev/null
for f in share/doc/velmora/copyright share/doc/velmora/changelog.gz share/lintian/overrides/velmora; do
  [[ ! -e $out/staged/$f ]] || fail "cmake --install put the Debian package's $f in place"
done
[[ -x $out/staged/bin/velmora-cli ]] || fail "cmake --install did not install velmora-cli"
# Into a user's own prefix the installation brings the desktop's caches up
# to date, so that opening a document starts the program.
HOME=$out/home cmake --install "$build" --prefix "$out/home/.local" >/dev/null
[[ -f $out/home/.local/share/mime/application/x-velmora-xdx.xml ]] || fail "~/.local's MIME database does not know the document type"
grep -qF "application/x-velmora-xdx=io.github.velmora.Velmora.desktop" "$out/home/.local/share/applications/mimeinfo.cache" 2>/dev/null ||
  fail "~/.local's desktop database does not know the program"

# Contents.
id=io.github.velmora.Velmora
contents=$(dpkg-deb -c "$deb")
expected=(./usr/bin/velmora ./usr/bin/velmora-cli ./usr/libexec/velmora/velmora-print
  "./usr/share/applications/$id.desktop" "./usr/share/metainfo/$id.metainfo.xml"
  ./usr/share/mime/packages/velmora-xdx.xml
  "./usr/share/icons/hicolor/scalable/apps/$id.svg"
  ./usr/share/icons/hicolor/scalable/mimetypes/application-x-velmora-xdx.svg
  ./usr/share/man/man1/velmora.1.gz ./usr/share/man/man1/velmora-cli.1.gz
  ./usr/share/bash-completion/completions/velmora-cli ./usr/share/bash-completion/completions/velmora
  ./usr/share/velmora/help.html
  ./usr/share/doc/velmora/copyright ./usr/share/doc/velmora/changelog.gz
  ./usr/share/lintian/overrides/velmora)
sizes=(16 32 48 64 128 256)
for size in "${sizes[@]}"; do
  expected+=("./usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    "./usr/share/icons/hicolor/${size}x$size/mimetypes/application-x-velmora-xdx.png")
done
# Every picture the guide shows lies beside it.
for picture in $(grep -o 'src="[^"]*"' "$src/docs/help.html" | sed 's/^src="//; s/"$//'); do
  expected+=("./usr/share/velmora/$picture")
done
for f in "${expected[@]}"; do
  grep -q " $f\$" <<<"$contents" || fail "missing from package: $f"
done
if grep -vE '^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x) root/root ' <<<"$contents"; then
  fail "unusual permissions or owners (above)"
fi

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Version) == "$version" ]] || fail "Version $(field Version), project $version"
maintainer=$(field Maintainer)
[[ $maintainer =~ ^[^\<]+\ \<[^@\>]+@[a-z0-9.-]+\.[a-z]+\>$ && $maintainer != *localhost* ]] ||
  fail "Maintainer '$maintainer' is no real address"
description=$(field Description)
synopsis=$(head -1 <<<"$description")
((${#synopsis} > 0 && ${#synopsis} < 80)) || fail "synopsis of ${#synopsis} characters: $synopsis"
(($(wc -l <<<"$description") >= 4)) || fail "no long description: $description"
[[ -n $(field Homepage) ]] || fail "no Homepage"
depends=$(field Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/ //g')
xlsxwriter=$(dpkg-query -S "$(sed -n 's/^VELMORA_XLSXWRITER_RUNTIME:INTERNAL=//p' "$build/CMakeCache.txt")" | cut -d: -f1)
for d in libqt6widgets6 libqt6gui6 libqt6core6 libxml2 "$xlsxwriter" libstdc++6 libc6 fonts-noto-cjk fonts-arphic-ukai; do
  grep -qxF "$d" <<<"$names" || fail "missing dependency $d in: $depends"
done
# Nothing that only the build needs.
if grep -q -- '-dev$' <<<"$names"; then fail "build-only dependency in: $depends"; fi

# The files themselves.
root=$out/root
dpkg-deb -x "$deb" "$root"
zcat "$root/usr/share/doc/velmora/changelog.gz" >"$out/changelog"
[[ $(dpkg-parsechangelog -l "$out/changelog" -S Version) == "$version" ]] || fail "changelog's latest version is not $version"
[[ $(dpkg-parsechangelog -l "$out/changelog" -S Maintainer) == "$maintainer" ]] || fail "changelog's maintainer differs"
copyright=$root/usr/share/doc/velmora/copyright
head -1 "$copyright" | grep -qxF 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "copyright is not machine-readable"
# The licence text of LICENSE, word for word, after its title.
licence_words() { tr -s ' \n.' '\n' | grep -v '^$'; }
licence_paragraph() { awk '{ line[NR] = $0 } $0 == "License: Expat" { start = NR } END { for (i = start + 1; i <= NR; i++) print line[i] }' "$1"; }
diff <(tail -n +3 "$src/LICENSE" | licence_words) <(licence_paragraph "$copyright" | licence_words) \
  >/dev/null || fail "copyright does not hold LICENSE's text"
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
for size in "${sizes[@]}"; do
  for png in "$root/usr/share/icons/hicolor/${size}x$size"/*/*.png; do
    [[ $(png_size "$png") == "${size}x$size" ]] || fail "${png#"$root"} is $(png_size "$png")"
  done
done
# Hardened binaries: position-independent, relocations read-only and bound
# at start-up, stack protector and fortified functions in use.
for program in velmora velmora-cli; do
  elf=$root/usr/bin/$program
  readelf -h "$elf" | grep -q 'Type: *DYN' || fail "$program is not position-independent"
  readelf -lW "$elf" | grep -q GNU_RELRO || fail "$program has no relro"
  readelf -dW "$elf" | grep -qE 'BIND_NOW|FLAGS_1.*NOW' || fail "$program is not bound now"
  symbols=$(readelf -W --dyn-syms "$elf")
  grep -q '__stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
  grep -qE '__[a-z]+_chk@' <<<"$symbols" || fail "$program uses no fortified function"
done

# lintian: every tag fails, from errors down to pedantic remarks.
command -v lintian >/dev/null || { echo "lintian is not installed"; exit 1; }
# (Its notes on standard error, such as running as root, are no tags.)
if ! lintian_out=$(lintian --display-info --pedantic --display-experimental --tag-display-limit 0 "$deb" 2>"$out/lintian.err"); then
  cat "$out/lintian.err"
  fail "lintian failed"
fi
if [[ -n $lintian_out ]]; then
  echo "lintian:"
  echo "$lintian_out"
  failures=$((failures + 1))
fi

if ((failures)); then
  echo "$failures problem(s) in $(basename "$deb")"
  exit 1
fi

if [[ $(id -u) -eq 0 && -n "${CI:-}${VELMORA_INSTALL_TEST:-}" ]]; then
  if dpkg -s velmora >/dev/null 2>&1; then echo "velmora already installed; not touching it"; exit 0; fi
  snapshot() { find /usr /etc -xdev 2>/dev/null | LC_ALL=C sort; }
  snapshot >"$out/before"
  # dpkg's triggers (MIME database, desktop entries, manual pages) speak up
  # when they dislike something of the package.
  dpkg_quiet() {
    local said
    said=$(dpkg "$@" 2>&1) || { echo "dpkg $*:"; echo "$said"; exit 1; }
    if grep -iE 'error|warning|ignor' <<<"$said"; then echo "(dpkg $* above)"; exit 1; fi
  }
  dpkg_quiet -i "$deb"
  test -x /usr/bin/velmora-cli
  /usr/bin/velmora-cli --help >/dev/null
  # velmora-cli pdf finds its printing program where the package put it.
  said=$(/usr/bin/velmora-cli pdf /nonexistent.xdx "$out/x.pdf" 2>&1 || true)
  grep -q '^/nonexistent.xdx：' <<<"$said" ||
    { echo "velmora-cli pdf did not run velmora-print: $said"; dpkg -r velmora >/dev/null; exit 1; }
  grep -q 'application/x-velmora-xdx' /usr/share/mime/application/x-velmora-xdx.xml
  grep -q "application/x-velmora-xdx=$id.desktop" /usr/share/applications/mimeinfo.cache
  [[ $(man -w velmora-cli) == /usr/share/man/man1/velmora-cli.1.gz ]]
  # Software centres show each paragraph and item of the description in
  # the user's language and in no other.
  appstream() {
    LC_ALL=C.UTF-8 LANGUAGE=$1 appstreamcli get --details --no-cache --cachepath "$out/appstream-$1" "$id" 2>&1
  }
  english=$(appstream C) chinese=$(appstream zh_CN)
  if ! grep -qF 'a completeness check whose lines' <<<"$english" || grep -qF '完整性检查' <<<"$english" ||
    ! grep -qF '完整性检查' <<<"$chinese" || grep -qF 'a completeness check' <<<"$chinese" ||
    ! grep -qF '申请人用本程序' <<<"$chinese" || grep -qF 'With this program' <<<"$chinese"; then
    echo "AppStream's descriptions mix the languages:"
    echo "$english"
    echo "$chinese"
    dpkg -r velmora >/dev/null
    exit 1
  fi
  cp "$src/tests/fixtures/formal.xdx" "$out/application"
  [[ $(gio info -a standard::content-type "$out/application" | sed -n 's/^ *standard::content-type: //p') == application/x-velmora-xdx ]] ||
    { echo "the installed MIME type does not recognise a document by its content"; dpkg -r velmora >/dev/null; exit 1; }
  cp "$src/tests/fixtures/formal.xdx" "$out/申请书 草稿.xdx"
  if ! LC_ALL=C.UTF-8 "$src/tests/x11/with_x_session.sh" "$src/tests/package/installed_session.sh" "$out/申请书 草稿.xdx"; then
    dpkg -r velmora >/dev/null
    exit 1
  fi
  dpkg_quiet -P velmora
  test ! -e /usr/bin/velmora-cli
  snapshot >"$out/after"
  if ! diff "$out/before" "$out/after"; then echo "left behind or lost by installing and removing (above)"; exit 1; fi
  if grep -rl 'velmora' /usr/share/applications/mimeinfo.cache /usr/share/mime/ 2>/dev/null; then
    echo "the caches still name velmora (above)"
    exit 1
  fi
fi
echo "package ok: $(basename "$deb")"

#!/usr/bin/env bash
# The MIME type of XDX documents and the desktop entry that opens them, in a
# scratch database built from data/ beside the system's own types: a document
# is recognised by its .xdx name (glob) and, without it, by its root element
# (content), both by gio and by xdg-mime; plain XML stays plain XML; the
# program is the default for the type; no tool complains.
#   check_mime.sh SOURCE_DIR
set -euo pipefail
src=$(realpath "$1")
for tool in update-mime-database update-desktop-database gio xdg-mime; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
share=$work/share
mkdir -p "$share/mime/packages" "$share/applications"
cp /usr/share/mime/packages/freedesktop.org.xml "$src/data/velmora-xdx.xml" "$share/mime/packages/"
cp "$src"/data/*.desktop "$share/applications/"
export XDG_DATA_DIRS=$share XDG_DATA_HOME=$work/home-share XDG_CONFIG_HOME=$work/config XDG_CONFIG_DIRS=$work/config
# xdg-mime asks the desktop's own tools when it knows the desktop.
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION KDE_FULL_SESSION GNOME_DESKTOP_SESSION_ID

quiet() {  # runs a command that must succeed without a word on either stream
  local out
  if ! out=$("$@" 2>&1) || [[ -n $out ]]; then
    echo "$* said:"
    echo "$out"
    exit 1
  fi
}
quiet update-mime-database "$share/mime"
quiet update-desktop-database "$share/applications"
[[ -f $share/mime/application/x-velmora-xdx.xml ]] || { echo "the type was not compiled into the database"; exit 1; }

# A document as the program writes it, under its own name and without one.
mkdir "$work/docs"
cp "$src/tests/fixtures/formal.xdx" "$work/docs/application.xdx"
cp "$src/tests/fixtures/formal.xdx" "$work/docs/application"
printf '<?xml version="1.0" encoding="GBK"?>\n<XMLPackage attr="1"><ver>x</ver></XMLPackage>\n' >"$work/docs/attributes"
printf '<?xml version="1.0"?>\n<other><XMLPackageList/></other>\n' >"$work/docs/other.xml"
printf '<?xml version="1.0"?>\n<other/>\n' >"$work/docs/other"

failures=0
# The file keeps the freedesktop content model of a type: its comments
# first, then the rest in any order (the part of freedesktop's DTD
# for the elements the file uses).
cat >"$work/mime-info.dtd" <<'DTD'
<!ELEMENT mime-info (mime-type)+>
<!ATTLIST mime-info xmlns CDATA #FIXED "http://www.freedesktop.org/standards/shared-mime-info">
<!ELEMENT mime-type (comment+, (icon? | glob | magic | root-XML | sub-class-of)*)>
<!ATTLIST mime-type type CDATA #REQUIRED>
<!ELEMENT comment (#PCDATA)>
<!ATTLIST comment xml:lang CDATA #IMPLIED>
<!ELEMENT icon EMPTY>
<!ATTLIST icon name CDATA #REQUIRED>
<!ELEMENT glob EMPTY>
<!ATTLIST glob pattern CDATA #REQUIRED weight CDATA #IMPLIED case-sensitive CDATA #IMPLIED>
<!ELEMENT magic (match)+>
<!ATTLIST magic priority CDATA #IMPLIED>
<!ELEMENT match (match)*>
<!ATTLIST match offset CDATA #REQUIRED type (string|big16|big32|little16|little32|host16|host32|byte) #REQUIRED
  value CDATA #REQUIRED mask CDATA #IMPLIED>
<!ELEMENT root-XML EMPTY>
<!ATTLIST root-XML namespaceURI CDATA #REQUIRED localName CDATA #REQUIRED>
<!ELEMENT sub-class-of EMPTY>
<!ATTLIST sub-class-of type CDATA #REQUIRED>
DTD
xmllint --noout --dtdvalid "$work/mime-info.dtd" "$src/data/velmora-xdx.xml" 2>&1 ||
  { echo "data/velmora-xdx.xml is not valid against the type's content model"; failures=$((failures + 1)); }
expect_type() {  # FILE TYPE: what gio and xdg-mime say FILE is
  local file=$work/docs/$1 want=$2 got
  got=$(gio info -a standard::content-type "$file" 2>&1 | sed -n 's/^ *standard::content-type: //p')
  [[ $got == "$want" ]] || { echo "gio: $1 is '$got', expected $want"; failures=$((failures + 1)); }
  got=$(xdg-mime query filetype "$file" 2>&1)
  [[ $got == "$want" ]] || { echo "xdg-mime: $1 is '$got', expected $want"; failures=$((failures + 1)); }
}
expect_type application.xdx application/x-velmora-xdx
expect_type application application/x-velmora-xdx
expect_type attributes application/x-velmora-xdx
expect_type other.xml application/xml
expect_type other application/xml

default=$(xdg-mime query default application/x-velmora-xdx 2>&1)
[[ $default == io.github.velmora.Velmora.desktop ]] || { echo "default for the type: '$default'"; failures=$((failures + 1)); }
# GLib hides an entry whose TryExec program is not on the PATH, as it is
# until the package is installed: a stand-in takes its place.
mkdir "$work/bin"
printf '#!/bin/sh\n' >"$work/bin/velmora"
chmod +x "$work/bin/velmora"
registered=$(PATH=$work/bin:$PATH LC_ALL=C.UTF-8 gio mime application/x-velmora-xdx 2>&1)
[[ $registered == *$'Registered applications:\n\tio.github.velmora.Velmora.desktop'* ]] ||
  { echo "gio mime application/x-velmora-xdx:"; echo "$registered"; failures=$((failures + 1)); }

((failures == 0)) || exit 1
echo "mime ok"

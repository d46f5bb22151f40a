#!/usr/bin/env bash
# Builds the Debian package from the build folder given, checks its contents
# and dependencies with dpkg-deb, and installs and removes it with dpkg when
# running as root on a machine where that is allowed (CI, a developer's box).
set -euo pipefail
build=$1
cd "$build"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; exit 1; }
deb=$(ls "$out"/*.deb)

contents=$(dpkg-deb -c "$deb")
for f in ./usr/bin/velmora ./usr/bin/velmora-cli ./usr/libexec/velmora/velmora-print ./usr/share/applications/velmora.desktop \
         ./usr/share/mime/packages/velmora-xdx.xml ./usr/share/icons/hicolor/scalable/apps/velmora.svg; do
  grep -q " $f\$" <<<"$contents" || { echo "missing from package: $f"; exit 1; }
done

depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/ //g')
for d in libqt6widgets6 libqt6gui6 libqt6core6 libxml2 libxlsxwriter4 libstdc++6 libc6 fonts-noto-cjk; do
  grep -qxF "$d" <<<"$names" || { echo "missing dependency $d in: $depends"; exit 1; }
done
# Nothing that only the build needs.
if grep -q -- '-dev$' <<<"$names"; then echo "build-only dependency in: $depends"; exit 1; fi

if [[ $(id -u) -eq 0 && -n "${CI:-}${VELMORA_INSTALL_TEST:-}" ]]; then
  if dpkg -s velmora >/dev/null 2>&1; then echo "velmora already installed; not touching it"; exit 0; fi
  dpkg -i "$deb" >/dev/null
  test -x /usr/bin/velmora-cli
  /usr/bin/velmora-cli --help >/dev/null
  # velmora-cli pdf finds its printing program where the package put it.
  /usr/bin/velmora-cli pdf /nonexistent.xdx "$out/x.pdf" 2>&1 | grep -q '^/nonexistent.xdx：' ||
    { echo "velmora-cli pdf did not run velmora-print"; exit 1; }
  grep -q 'application/x-velmora-xdx' /usr/share/applications/velmora.desktop
  dpkg -r velmora >/dev/null
  test ! -e /usr/bin/velmora-cli
fi
echo "package ok: $(basename "$deb")"

#!/usr/bin/env bash
# The desktop entry and the AppStream metainfo: both validators accept them
# without a remark, and they agree with each other, with the MIME type, the
# icons, the release in CHANGELOG.md and the project's version.
#   check_desktop_metadata.sh SOURCE_DIR VERSION
set -euo pipefail
src=$(realpath "$1")
version=$2
id=io.github.velmora.Velmora
desktop=$src/data/$id.desktop
metainfo=$src/data/$id.metainfo.xml
failures=0
fail() { echo "$*"; failures=$((failures + 1)); }

out=$(desktop-file-validate "$desktop" 2>&1) || true
[[ -z $out ]] || fail "desktop-file-validate: $out"
# Errors, warnings and infos fail; the one pedantic remark is about the
# capital letter of the reverse-DNS id, which follows the application's name.
out=$(appstreamcli validate --no-net --pedantic --no-color "$metainfo" 2>&1) || fail "appstreamcli failed"
remarks=$(grep -E '^[EWIP]: ' <<<"$out" | grep -vxF "P: $id:3: cid-contains-uppercase-letter $id" || true)
[[ -z $remarks ]] || fail "appstreamcli: $remarks"

# The window names its entry, so desktops (on Wayland by this name) match it.
grep -qF "setDesktopFileName(QStringLiteral(\"$id\"))" "$src/app/main.cpp" || fail "app/main.cpp does not name $id"

key() { sed -n "s/^$1=//p" "$desktop"; }
[[ $(key Icon) == "$id" ]] || fail "Icon is '$(key Icon)', not $id"
[[ -f $src/data/$(key Icon).svg ]] || fail "no icon data/$(key Icon).svg"
[[ $(key TryExec) == velmora && $(key Exec) == "velmora %f" ]] || fail "TryExec/Exec: $(key TryExec) / $(key Exec)"
for word in 申报 课题 教育科学; do
  [[ ";$(key 'Keywords\[zh_CN\]')" == *";$word;"* ]] || fail "Keywords[zh_CN] lacks $word"
done
[[ -n $(key Keywords) ]] || fail "no Keywords"
main=0
IFS=';' read -r -a categories <<<"$(key Categories)"
for c in "${categories[@]}"; do
  case $c in
    AudioVideo | Audio | Video | Development | Education | Game | Graphics | Network | Office | Science | Settings | System | Utility)
      main=$((main + 1)) ;;
  esac
done
((main == 1)) || fail "$main main categories in: $(key Categories)"

# What the metainfo says, read as XML.
xpath() { xmllint --xpath "$1" "$metainfo" 2>/dev/null; }
[[ $(xpath 'string(/component/id)') == "$id" ]] || fail "metainfo id: $(xpath 'string(/component/id)')"
[[ $(xpath 'string(/component/launchable[@type="desktop-id"])') == "$id.desktop" ]] || fail "metainfo launchable"
mime=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$src/data/velmora-xdx.xml")
[[ $(key MimeType) == "$mime;" ]] || fail "desktop MimeType '$(key MimeType)', MIME type $mime"
[[ $(xpath 'string(/component/provides/mediatype)') == "$mime" ]] || fail "metainfo mediatype"
for lang in en zh_CN; do
  if [[ $lang == en ]]; then sel='not(@xml:lang)'; else sel="@xml:lang='$lang'"; fi
  [[ -n $(xpath "string(/component/summary[$sel])") ]] || fail "no $lang summary"
  [[ -n $(xpath "string(/component/description/p[$sel])") ]] || fail "no $lang description"
done
release=$(xpath 'string(/component/releases/release[1]/@version)')
day=$(xpath 'string(/component/releases/release[1]/@date)')
[[ $release == "$version" ]] || fail "metainfo release $release, project version $version"
grep -qxF "## $release ($day)" "$src/CHANGELOG.md" || fail "CHANGELOG.md has no '## $release ($day)'"
[[ $(grep -m1 '^## ' "$src/CHANGELOG.md") == "## $release ($day)" ]] || fail "CHANGELOG.md's latest release is not $release"
# The screenshot's address points at the picture in docs/.
shot=$(xpath 'string(/component/screenshots/screenshot[@type="default"]/image)')
[[ $shot == https://*/docs/* && -f $src/docs/${shot##*/docs/} ]] || fail "screenshot $shot is not a picture in docs/"

((failures == 0)) || exit 1
echo "desktop metadata ok"

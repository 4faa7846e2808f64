#!/usr/bin/env bash
# `cmake --install` into a temporary prefix puts the program, its menu entry, the
# orb in every hicolor size, the AppStream metadata and the manual page in the
# usual folders and nothing else; the desktop's own validators accept the entry and
# the metadata; the installed program runs.
# Usage: install_test.sh BUILD_DIR APP_ID VERSION
set -u
build=$1 app_id=$2 version=$3
for tool in desktop-file-validate appstreamcli file gzip; do
  command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install failed"

sides="16 22 24 32 48 64 128 256"
expected=$( {
  echo bin/sonvale
  echo share/applications/$app_id.desktop
  echo share/metainfo/$app_id.metainfo.xml
  echo share/man/man1/sonvale.1.gz
  for side in $sides; do echo share/icons/hicolor/${side}x$side/apps/$app_id.png; done
} | sort)
installed=$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)
[ "$installed" = "$expected" ] || fail "installed files differ:
$(diff <(echo "$expected") <(echo "$installed"))"

[ "$("$prefix/bin/sonvale" --version)" = "Sonvale $version" ] || fail "the installed program does not run"

entry=$prefix/share/applications/$app_id.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate rejects the entry"
grep -qx "Categories=AudioVideo;Audio;Player;" "$entry" || fail "not in the Audio and Player categories"
grep -qx "Icon=$app_id" "$entry" || fail "the entry does not name the icon"
# A start with a file only raises a running player: the entry opens no files.
grep -q "^MimeType=" "$entry" && fail "the entry claims file types"
grep -qx "Exec=sonvale" "$entry" || fail "the entry passes arguments"

metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli rejects the metadata"
appstreamcli validate-tree --no-net "$prefix" || fail "appstreamcli rejects the installed tree"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metadata does not launch the entry"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"/>" "$metainfo" || fail "no release $version"

for side in $sides; do
  icon=$prefix/share/icons/hicolor/${side}x$side/apps/$app_id.png
  file "$icon" | grep -q "PNG image data, $side x $side, 8-bit/color RGBA" || fail "icon $side: $(file "$icon")"
done

manual=$prefix/share/man/man1/sonvale.1.gz
gzip -t "$manual" || fail "the manual page is not gzip"
gzip -dc "$manual" | head -n 1 | grep -q "^\.TH SONVALE 1 .*\"Sonvale $version\"" || fail "manual page header"
if command -v man >/dev/null; then
  warnings=$(MANWIDTH=80 man --warnings -l "$manual" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "the manual page has mistakes: $warnings"
fi
echo "install test passed"

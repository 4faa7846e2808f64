#!/usr/bin/env bash
# cpack -G DEB from the build tree: the package holds under /usr exactly what
# `cmake --install` puts under a prefix, and depends on the package of every
# library the program is linked against directly, and on Qt's platform plug-ins.
# Installing it into a clean Debian 12 is scripts/check-package (too slow here).
# Usage: package_test.sh BUILD_DIR VERSION
set -u
build=$1 version=$2
for tool in dpkg-deb dpkg-shlibdeps readelf file; do
  command -v $tool >/dev/null || { echo "$tool missing"; exit 77; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
deb=$work/out/sonvale_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"
[ "$(dpkg-deb -f "$deb" Package)" = sonvale ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"

cmake --install "$build" --prefix "$work/prefix" >/dev/null || fail "cmake --install failed"
installed=$(cd "$work/prefix" && find . -type f | sed 's|^\./|./usr/|' | sort)
packed=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[ "$packed" = "$installed" ] || fail "the package holds other files than the install:
$(diff <(echo "$installed") <(echo "$packed"))"

depends=$(dpkg-deb -f "$deb" Depends | tr ',' '\n' | sed 's/^ *//; s/ .*//')
for named in qt6-qpa-plugins fonts-liberation; do
  echo "$depends" | grep -qx "$named" || fail "no dependency on $named"
done
for soname in $(readelf -d "$build/sonvale" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
  path=$(ldconfig -p | awk -v so="$soname" '$1 == so && /x86-64/ {print $NF; exit}')
  [ -n "$path" ] || fail "cannot find $soname"
  owner=$(dpkg -S "$(realpath "$path")" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$owner" ] || owner=$(dpkg -S "$path" | head -n 1 | cut -d: -f1)
  echo "$depends" | grep -qx "$owner" || fail "$soname comes from $owner, which the package does not depend on"
done
echo "package test passed: $(dpkg-deb -f "$deb" Depends)"

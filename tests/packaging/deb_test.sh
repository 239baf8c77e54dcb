#!/bin/bash
# Builds the .deb from the build tree, as `make package` does, into a temporary folder and
# reads it back with dpkg-deb: its control fields, its Depends and Recommends and its file
# list; then lintian checks it against Debian's policy.
#
# usage: deb_test.sh BUILD_DIR APP_ID VERSION
set -u
build=$1 id=$2 version=$3
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    echo "FAIL: cpack could not build the package"
    exit 1
fi
arch=$(dpkg --print-architecture)
deb=$work/kelvane_${version}_$arch.deb
if [ ! -f "$deb" ]; then
    echo "FAIL: no $(basename "$deb"); cpack made:"; ls "$work"
    exit 1
fi

# --- Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
dpkg-deb -I "$deb"
[ "$(field Package)" = kelvane ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture is '$(field Architecture)'"
[ "$(field Section)" = education ] || fail "Section is '$(field Section)'"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
field Description | head -1 | grep -qi "typing practice" || fail "Description: $(field Description)"
[ "$(field Description | wc -l)" -gt 1 ] || fail "the Description has no long text"

# --- Depends: the libraries dpkg-shlibdeps found (with versions) and a CJK font.
depends=$(field Depends)
IFS=',' read -ra clauses <<<"$depends"
has_clause() {
    local wanted=$1 clause
    for clause in "${clauses[@]}"; do
        clause=$(sed 's/^ *//; s/ *$//' <<<"$clause")
        [[ $clause =~ $wanted ]] && return 0
    done
    return 1
}
for wanted in '^libqt6widgets6 \(>= 6\.' '^libqt6gui6 \(>= 6\.' '^libqt6core6 \(>= 6\.' \
              '^libc6 \(>= ' '^libstdc\+\+6 \(>= ' \
              '^fonts-noto-cjk \| fonts-wqy-zenhei \| fonts-arphic-uming$' '^qt6-translations-l10n$'; do
    has_clause "$wanted" || fail "Depends has no clause matching /$wanted/: $depends"
done

# --- Recommends: the Song face of the layouts and Qt's Wayland plugin.
recommends=$(field Recommends)
for wanted in fonts-arphic-uming qt6-wayland; do
    grep -qE "(^|, )$wanted(,|$)" <<<"$recommends" || fail "Recommends has no $wanted: $recommends"
done

# --- Contents: exactly the installed files, under /usr.
expected=$(
    echo ./usr/bin/kelvane
    echo "./usr/share/applications/$id.desktop"
    echo "./usr/share/metainfo/$id.metainfo.xml"
    for size in 16 32 48 64 128 256; do
        echo "./usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    done
    echo "./usr/share/icons/hicolor/scalable/apps/$id.svg"
    echo ./usr/share/man/man1/kelvane.1.gz
    echo ./usr/share/doc/kelvane/changelog.gz
    echo ./usr/share/doc/kelvane/copyright
)
dpkg-deb -c "$deb"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }')
if [ "$(sort <<<"$expected")" != "$(sort <<<"$actual")" ]; then
    fail "package contents differ from the expected list"
    diff <(sort <<<"$expected") <(sort <<<"$actual")
fi
dpkg-deb -c "$deb" | awk '$6 == "./usr/bin/kelvane" && $1 != "-rwxr-xr-x" { exit 1 }' ||
    fail "usr/bin/kelvane is not mode 755"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ && $2 != "root/root" { exit 1 }' ||
    fail "files are not owned by root"

# --- The packaged binary is stripped and carries no rpath.
dpkg-deb -x "$deb" "$work/root"
file -b "$work/root/usr/bin/kelvane" | grep -q ", stripped" || fail "usr/bin/kelvane is not stripped"
if readelf -d "$work/root/usr/bin/kelvane" | grep -qE "RPATH|RUNPATH"; then
    fail "usr/bin/kelvane carries an rpath"
fi

# --- lintian: no errors and no warnings (its informational tags are advice).
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    fail "lintian reports errors or warnings:"
    grep -v "^running with root privileges" "$work/lintian.log"
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
fi
echo "package test passed"

#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the .deb from an already built tree with cpack, as scripts/package.sh does, and checks it:
#  - it holds exactly the files of CONTENTS_LIST, with their modes and owner;
#  - Depends names the libraries dpkg-shlibdeps finds in the binary and the Qt platform plugins;
#  - the newest entries of the Debian changelog and of the AppStream releases carry the package's version;
#  - with LINTIAN given, lintian reports no error and no warning.
# Usage: check-deb.sh BUILD_DIR CONTENTS_LIST [LINTIAN]    (CPACK in the environment names cpack)
set -eu

build_dir=$1
contents_list=$2
lintian=${3:-}
cpack=${CPACK:-cpack}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
fail() {
    echo "FAIL: $*" >&2
    failed=1
}

if ! (cd "$build_dir" && "$cpack" -G DEB --config CPackConfig.cmake -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not make the package" >&2
    exit 1
fi
set -- "$work"/out/*.deb
if [ "$#" -ne 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: cpack should make exactly one .deb, made: $*" >&2
    exit 1
fi
deb=$1
echo "Made $(basename "$deb")"

# The files, without the directories (their permissions are lintian's to check).
grep -v -e '^#' -e '^$' "$contents_list" | sort >"$work/expected"
dpkg-deb -c "$deb" |
    awk '$1 !~ /^d/ { line = $1 " " $2; for (i = 6; i <= NF; i++) line = line " " $i; print line }' |
    sort >"$work/actual"
if ! diff -u "$work/expected" "$work/actual" >"$work/contents.diff"; then
    cat "$work/contents.diff" >&2
    fail "the package's files differ from $contents_list (- expected, + in the package)"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for package in qt6-qpa-plugins libc6 libqt6widgets6 libusb-1.0-0; do
    if ! printf '%s\n' "$depends" | tr ',' '\n' | sed 's/^ *//; s/[ (].*//' | grep -qx -- "$package"; then
        fail "Depends does not name $package: $depends"
    fi
done

version=$(dpkg-deb -f "$deb" Version)
upstream_version=${version%-*}
dpkg-deb -x "$deb" "$work/root"
changelog_version=$(gzip -dc "$work/root/usr/share/doc/vtx-eval/changelog.Debian.gz" |
    sed -n '1s/^vtx-eval (\([^)]*\)) .*/\1/p')
[ "$changelog_version" = "$version" ] ||
    fail "the newest changelog entry is for version '$changelog_version', the package is $version"
release_version=$(sed -n 's/.*<release [^>]*version="\([^"]*\)".*/\1/p' \
    "$work"/root/usr/share/metainfo/*.metainfo.xml | head -n 1)
[ "$release_version" = "$upstream_version" ] ||
    fail "the newest AppStream release is '$release_version', the program is $upstream_version"

if [ -n "$lintian" ]; then
    if ! "$lintian" --fail-on error,warning --display-info "$deb"; then
        fail "lintian reports errors or warnings"
    fi
fi

[ "$failed" -eq 0 ] && echo "The package is clean."
exit "$failed"

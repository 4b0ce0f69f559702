#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, makes a Release build in build-release/ (PACKAGE_BUILD_DIR), packs it into a
# .deb with cpack, then checks the package with lintian and the AppStream metadata with appstreamcli
# (each when installed). Fails on any lintian error or warning.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PACKAGE_BUILD_DIR=${PACKAGE_BUILD_DIR:-"$REPO_ROOT/build-release"}

install_packages
cmake -S "$REPO_ROOT" -B "$PACKAGE_BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build "$PACKAGE_BUILD_DIR" --parallel "$(nproc)"

rm -f "$PACKAGE_BUILD_DIR"/*.deb
(cd "$PACKAGE_BUILD_DIR" && cpack -G DEB)
debs=("$PACKAGE_BUILD_DIR"/*.deb)
if [ "${#debs[@]}" -ne 1 ] || [ ! -f "${debs[0]}" ]; then
  echo "cpack should have made one .deb in $PACKAGE_BUILD_DIR" >&2
  exit 1
fi
deb=${debs[0]}

if command -v lintian >/dev/null 2>&1; then
  echo "lintian $deb"
  lintian --fail-on error,warning --display-info "$deb"
else
  echo "lintian is not installed: the package was not checked." >&2
fi
if command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$REPO_ROOT"/packaging/*.metainfo.xml
else
  echo "appstreamcli is not installed: the AppStream metadata was not checked." >&2
fi
echo "Package: $deb"

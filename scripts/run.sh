#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program. Arguments go to the program, for example
#   scripts/run.sh --simulate
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
configure_and_build
exec "$BUILD_DIR/app/vtx-eval" "$@"

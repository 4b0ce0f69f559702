#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program (only the program: not the tests and benchmarks), and
# starts it. Arguments go to the program, for example
#   scripts/run.sh --simulate
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

install_packages
configure_and_build vtx-eval
exec "$BUILD_DIR/app/vtx-eval" "$@"

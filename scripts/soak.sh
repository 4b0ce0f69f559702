#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds tst_soak and runs it: a seeded random run of user actions and faults on the DCP panel and the register
# tool sharing one simulated board. The same seed and step count give the same run.
#
#   scripts/soak.sh [--steps N] [--seed S]     defaults: 2000 steps, the test's fixed seed
#
# The build goes to build/ (BUILD_DIR overrides it), as for scripts/test.sh.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

usage() {
  sed -n '5s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
  exit 2
}

while [ "$#" -gt 0 ]; do
  case "$1" in
    --steps) [ "$#" -ge 2 ] || usage; export VTX_SOAK_STEPS="$2"; shift 2 ;;
    --seed) [ "$#" -ge 2 ] || usage; export VTX_SOAK_SEED="$2"; shift 2 ;;
    -h|--help) usage ;;
    *) echo "unknown option '$1'" >&2; usage ;;
  esac
done

# Qt Test ends a test function after 5 minutes; a long soak takes longer.
export QTEST_FUNCTION_TIMEOUT=${QTEST_FUNCTION_TIMEOUT:-86400000}

install_packages
configure_and_build tst_soak
QT_QPA_PLATFORM=offscreen "$BUILD_DIR/tests/soak/tst_soak"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the project with AddressSanitizer (leak checks included) and UndefinedBehaviorSanitizer and runs the
# whole test suite on the offscreen platform. Fails on a failing test and on any sanitizer report, also one
# that did not fail its test (from a process a test starts, say): AddressSanitizer and LeakSanitizer reports
# are kept in build-asan/sanitizer-reports/, and every test's output is searched for UBSan reports.
#
#   scripts/sanitize.sh            configure, build and test in build-asan/ (gcc by default; CC/CXX choose)
#
# SANITIZE_BUILD_JOBS sets the build's parallelism (default 2), SANITIZE_TEST_JOBS the tests' (default 2).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

BUILD_DIR=${SANITIZE_BUILD_DIR:-"$REPO_ROOT/build-asan"}
BUILD_JOBS=${SANITIZE_BUILD_JOBS:-2}
TEST_JOBS=${SANITIZE_TEST_JOBS:-2}
REPORTS="$BUILD_DIR/sanitizer-reports"

install_packages

flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
cmake -S "$REPO_ROOT" -B "$BUILD_DIR" -G Ninja \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1" \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build "$BUILD_DIR" --parallel "$BUILD_JOBS"

rm -rf "$REPORTS"
mkdir -p "$REPORTS"
# log_path keeps every AddressSanitizer/LeakSanitizer report in a file per process, so that a report from a
# child process is not lost when its parent does not pass on its exit status. gcc's UBSan runtime ignores
# log_path when it runs next to ASan; its reports go to standard error, which the JUnit file below records for
# every test.
asan="detect_leaks=1:abort_on_error=1:log_path=$REPORTS/asan"
ubsan="print_stacktrace=1:halt_on_error=1"
lsan=""
if [ -f "$REPO_ROOT/tests/sanitizers/lsan.supp" ]; then
  lsan="suppressions=$REPO_ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"
fi

cd "$BUILD_DIR"
status=0
# ctest keeps only the first kilobyte of a passing test's output unless told otherwise.
keep_output=(--test-output-size-passed 50000000 --test-output-size-failed 50000000)
export QT_QPA_PLATFORM=offscreen UBSAN_OPTIONS="$ubsan" LSAN_OPTIONS="$lsan"
ASAN_OPTIONS="$asan" ctest --output-on-failure --parallel "$TEST_JOBS" --timeout 300 -E '^tst_libusbdriver$' \
  "${keep_output[@]}" --output-junit "$REPORTS/ctest.xml" || status=1
# umockdev-wrapper preloads its library ahead of the sanitizer runtime, which AddressSanitizer refuses unless
# told not to check the link order; only the test run under the wrapper gets that. It also gets no ASan
# log_path: opening the log file that early goes through the preloaded library and crashes the test before it
# starts. Its reports go to standard error and abort the test, which ctest shows.
if ctest -N -R '^tst_libusbdriver$' | grep -q 'Total Tests: 1'; then
  ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:verify_asan_link_order=0" \
    ctest --output-on-failure --timeout 300 -R '^tst_libusbdriver$' "${keep_output[@]}" \
    --output-junit "$REPORTS/ctest-usb.xml" || status=1
fi

report_pattern='runtime error:\|ERROR: [A-Za-z]*Sanitizer'
mapfile -t reports < <(find "$REPORTS" -type f -size +0 ! -name '*.xml')
mapfile -t -O "${#reports[@]}" reports < <(grep -l -e "$report_pattern" "$REPORTS"/*.xml 2>/dev/null)
if [ "${#reports[@]}" -gt 0 ]; then
  echo "Sanitizer reports:" >&2
  for report in "${reports[@]}"; do
    echo "=== $report" >&2
    case "$report" in
      *.xml) grep -A 25 -e "$report_pattern" "$report" >&2 ;;
      *) cat "$report" >&2 ;;
    esac
  done
  status=1
fi
if [ "$status" -eq 0 ]; then
  echo "sanitize.sh: all tests passed with no sanitizer report"
else
  echo "sanitize.sh: FAILED" >&2
fi
exit "$status"

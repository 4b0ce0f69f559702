#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds one fuzz target with clang and libFuzzer and runs it.
#
#   scripts/fuzz.sh <target> [seconds] [libFuzzer options...]   run fuzz_<target> (default 60 s)
#   scripts/fuzz.sh --merge <target>                             minimise the work corpus into the checked-in one
#   scripts/fuzz.sh --list                                       the targets
#
# The build goes to build-fuzz/: the whole project with clang, AddressSanitizer, UndefinedBehaviorSanitizer and
# coverage instrumentation (-fsanitize=fuzzer-no-link), the fuzz executables linked with libFuzzer. Qt is used
# as installed. A run starts from tests/fuzz/corpus/<target>/ and keeps what it finds in
# build-fuzz/fuzz-corpus/<target>/; a failing input is saved in build-fuzz/fuzz-artifacts/<target>/ (copy it to
# tests/fuzz/crashes/<target>/ once the fault is fixed, so the replay test keeps checking it).
# FUZZ_BUILD_JOBS sets the build's parallelism (default 2).
set -euo pipefail

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${FUZZ_BUILD_DIR:-"$REPO_ROOT/build-fuzz"}
FUZZ_SRC="$REPO_ROOT/tests/fuzz"
JOBS=${FUZZ_BUILD_JOBS:-2}

targets() {
  sed -n 's/^vtx_add_fuzz_target(\([a-z_0-9]*\) .*/\1/p' "$FUZZ_SRC/CMakeLists.txt"
}

usage() {
  sed -n '2,7s/^# \{0,1\}//p' "${BASH_SOURCE[0]}" >&2
  exit 2
}

check_target() {
  if ! targets | grep -qx -- "$1"; then
    echo "unknown fuzz target '$1'; the targets are:" >&2
    targets | sed 's/^/  /' >&2
    exit 2
  fi
}

configure_and_build() {
  local target=$1
  if ! command -v clang++ >/dev/null; then
    echo "fuzzing needs clang (libFuzzer): apt-get install clang" >&2
    exit 1
  fi
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    local flags="-fsanitize=address,undefined -fsanitize=fuzzer-no-link -fno-omit-frame-pointer"
    flags+=" -fno-sanitize-recover=undefined"
    CC=clang CXX=clang++ cmake -S "$REPO_ROOT" -B "$BUILD_DIR" -G Ninja \
      -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
      -DVTX_FUZZ=ON
  fi
  cmake --build "$BUILD_DIR" --parallel "$JOBS" --target "fuzz_$target"
}

[ $# -ge 1 ] || usage
case "$1" in
  --list)
    targets
    ;;
  --merge)
    [ $# -eq 2 ] || usage
    target=$2
    check_target "$target"
    configure_and_build "$target"
    work="$BUILD_DIR/fuzz-corpus/$target"
    kept="$FUZZ_SRC/corpus/$target"
    fresh=$(mktemp -d)
    trap 'rm -rf "$fresh"' EXIT
    mkdir -p "$work" "$kept"
    # Keeps the smallest set of inputs that covers what the old corpus and the work corpus cover.
    "$BUILD_DIR/tests/fuzz/fuzz_$target" -merge=1 "$fresh" "$kept" "$work"
    find "$kept" -type f ! -name '.*' -delete
    cp "$fresh"/* "$kept"/ 2>/dev/null || true
    echo "$(find "$kept" -type f ! -name '.*' | wc -l) inputs, $(du -sh "$kept" | cut -f1) in $kept"
    ;;
  -*)
    usage
    ;;
  *)
    target=$1
    seconds=${2:-60}
    shift $(($# >= 2 ? 2 : 1))
    check_target "$target"
    configure_and_build "$target"
    work="$BUILD_DIR/fuzz-corpus/$target"
    artifacts="$BUILD_DIR/fuzz-artifacts/$target"
    mkdir -p "$work" "$artifacts"
    options=(-max_total_time="$seconds" -artifact_prefix="$artifacts/" -print_final_stats=1)
    if [ -f "$FUZZ_SRC/$target.dict" ]; then
      options+=(-dict="$FUZZ_SRC/$target.dict")
    fi
    # Leak checks stay on (libFuzzer reports a leak per input), halting on the first UBSan report.
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
    export QT_QPA_PLATFORM=offscreen
    exec "$BUILD_DIR/tests/fuzz/fuzz_$target" "${options[@]}" "$@" "$work" "$FUZZ_SRC/corpus/$target"
    ;;
esac

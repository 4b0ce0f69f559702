#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Measures the performance goals on the simulated board and prints each figure next to its goal, and for
# reference the timed reads at 10 ms again with the transfer log window open.
#
#   scripts/bench.sh                      all goals; timed reads at 10 ms for 1 minute (the goal is 10 minutes)
#   scripts/bench.sh --long               the same with the 10-minute run of timed reads at 10 ms
#   scripts/bench.sh --timed-seconds N    every run of timed reads for N seconds instead
#   scripts/bench.sh --reps N             repetitions of each timed click (default 500)
#   scripts/bench.sh --usb                instead: transfers, opens, claims and port resets of vtxctl's actions
#                                         through the libusb driver under umockdev (scripts/usbcounts.sh)
#
# Builds only the benchmark programs (bench/goals.cmake) and vtxctl, Release, in build-bench/
# (BENCH_BUILD_DIR), one compile at a time (BENCH_JOBS), and runs them offscreen (QT_QPA_PLATFORM=offscreen);
# the Python package's figure comes from bench/bench_python_dcp.py run by PYTHON (default python3) against
# that vtxctl. Installs nothing: it needs what scripts/test.sh installs. Each program's full output is kept
# in build-bench/bench-results/. Exits 0 when every benchmark ran, whatever the verdicts; 2 when one could
# not run.
set -euo pipefail

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BENCH_BUILD_DIR:-"$REPO_ROOT/build-bench"}
JOBS=${BENCH_JOBS:-1}
RESULTS="$BUILD_DIR/bench-results"
TARGETS=(bench_dcp_click bench_register_bank bench_timed_reads bench_startup)

long=0
timed_seconds=60
reps=500
while [ "$#" -gt 0 ]; do
  case "$1" in
    --long) long=1; shift ;;
    --timed-seconds) timed_seconds=$2; shift 2 ;;
    --reps) reps=$2; shift 2 ;;
    --usb) exec "$REPO_ROOT/scripts/usbcounts.sh" ;;
    -h|--help) sed -n '2,18s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"; exit 0 ;;
    *) echo "bench.sh: unknown option '$1' (see --help)" >&2; exit 2 ;;
  esac
done
slow_seconds=$timed_seconds
[ "$long" -eq 1 ] && slow_seconds=600

for tool in cmake ninja; do
  if ! command -v "$tool" >/dev/null; then
    echo "bench.sh: $tool is missing; scripts/test.sh installs what the build needs" >&2
    exit 2
  fi
done

echo "== Configuring and building ${TARGETS[*]} vtxctl (Release) in $BUILD_DIR"
generator=()
[ -f "$BUILD_DIR/CMakeCache.txt" ] || generator=(-G Ninja)
cmake -S "$REPO_ROOT" -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_PROJECT_INCLUDE="$REPO_ROOT/bench/goals-hook.cmake" >/dev/null
cmake --build "$BUILD_DIR" --parallel "$JOBS" --target "${TARGETS[@]}" vtxctl

export QT_QPA_PLATFORM=offscreen
mkdir -p "$RESULTS"
rm -f "$RESULTS"/*.txt "$RESULTS"/*.log "$RESULTS"/summary.tsv

echo
echo "== Machine: $(nproc) cores ($(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)), load average" \
     "$(cut -d' ' -f1-3 /proc/loadavg) at start; offscreen; Release build"

# run <result name> <program> [arguments...]: runs one benchmark, keeps its output, shows all but its GOAL lines.
run() {
  local result=$1 name=$2
  shift 2
  echo
  echo "== $name $*"
  if ! "$BUILD_DIR/bench/$name" "$@" >"$RESULTS/$result.txt" 2>"$RESULTS/$result.log"; then
    cat "$RESULTS/$result.txt" "$RESULTS/$result.log" >&2
    echo "bench.sh: $name failed" >&2
    exit 2
  fi
  grep -v $'^GOAL\t' "$RESULTS/$result.txt" || true
}

run dcp_click bench_dcp_click --reps "$reps"
run register_bank bench_register_bank --reps "$reps"
run startup bench_startup --runs 20 --idle-seconds 5
if [ "$slow_seconds" -lt 600 ]; then
  echo
  echo "note: timed reads at 10 ms run for $slow_seconds s here; the goal asks for 10 minutes (scripts/bench.sh --long)"
fi
run timed_reads_10ms bench_timed_reads --interval 10 --seconds "$slow_seconds" --goal 99 --id 3a
run timed_reads_1ms bench_timed_reads --interval 1 --seconds "$timed_seconds" --goal 500 --id 3b
run timed_reads_10ms_log bench_timed_reads --interval 10 --seconds "$timed_seconds" --goal 99 --id 3c \
  --with-log

echo
echo "== bench/bench_python_dcp.py"
if ! VTXCTL="$BUILD_DIR/app/vtxctl" PYTHONPATH="$REPO_ROOT/python" "${PYTHON:-python3}" -B \
     "$REPO_ROOT/bench/bench_python_dcp.py" >"$RESULTS/python_dcp.txt" 2>"$RESULTS/python_dcp.log"; then
  cat "$RESULTS/python_dcp.txt" "$RESULTS/python_dcp.log" >&2
  echo "bench.sh: bench_python_dcp.py failed" >&2
  exit 2
fi
grep -v $'^GOAL\t' "$RESULTS/python_dcp.txt" || true

echo
echo "== Goals (figures are min / median / max; load average $(cut -d' ' -f1-3 /proc/loadavg) at the end)"
cat "$RESULTS"/*.txt | grep $'^GOAL\t' | LC_ALL=C sort -t $'\t' -k2,2 | tee "$RESULTS/summary.tsv" |
  awk -F'\t' '{ reference = $6 == "FOR REFERENCE"
                 printf "%-7s %-8s %s\n        %s\n        %s: %s\n", $2, (reference ? "(ref.)" : $6), $3, $4,
                        (reference ? "not a goal; compare" : "goal"), $5 }'
met=$(grep -c $'\tMET$' "$RESULTS/summary.tsv" || true)
total=$(grep -vc $'\tFOR REFERENCE$' "$RESULTS/summary.tsv" || true)
echo
echo "$met of $total goals met. Full output: $RESULTS/"

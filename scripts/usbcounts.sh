#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What vtxctl's actions cost a real control module: each runs through the libusb driver against the emulated
# module of tests/core/platform/usb (umockdev-run replays its answers), and the driver's own log (vtx.usb) gives
# the transfers out and in, device opens, interface claims and port resets of the action. The time on a real
# module is estimated from those counts; the two figures it rests on are assumptions, not measurements:
#   USB_TRANSFER_MS  one bulk transfer on a full-speed bus, waiting for its 1 ms frame (default 1)
#   USB_RESET_MS     one port reset: the host drives the reset and enumerates the module again (default 50)
#
#   scripts/usbcounts.sh        (also run as: scripts/bench.sh --usb)
#
# Builds vtxctl in build-bench/ (BENCH_BUILD_DIR) unless it is there already. Needs umockdev-run.
set -euo pipefail

REPO_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BENCH_BUILD_DIR:-"$REPO_ROOT/build-bench"}
TRANSFER_MS=${USB_TRANSFER_MS:-1}
RESET_MS=${USB_RESET_MS:-50}
USB_DATA="$REPO_ROOT/tests/core/platform/usb"
MODULE_SCRIPT="$REPO_ROOT/tests/cli/vtxctl-module.ioctl"

if ! command -v umockdev-run >/dev/null; then
  echo "usbcounts.sh: umockdev-run is missing; scripts/test.sh installs it" >&2
  exit 2
fi
VTXCTL="$BUILD_DIR/app/vtxctl"
if [ ! -x "$VTXCTL" ]; then
  echo "== Building vtxctl (Release) in $BUILD_DIR"
  generator=()
  [ -f "$BUILD_DIR/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S "$REPO_ROOT" -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$BUILD_DIR" --parallel "${BENCH_JOBS:-1}" --target vtxctl
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The module's answers to opening the link (the bridge query and the serial set-up), then `lines`: one pair
# "OUT-hex IN-hex" per I2C command on pipe 3 (IN "stall": the module stalls the reply).
script() {
  local name=$1
  shift
  head -n 5 "$MODULE_SCRIPT" >"$work/$name.ioctl"
  local pair out in
  for pair in "$@"; do
    out=${pair% *}
    in=${pair#* }
    echo "USBDEVFS_REAPURBNDELAY 0 3 3 0 0 $((${#out} / 2)) $((${#out} / 2)) 0 $out" >>"$work/$name.ioctl"
    if [ "$in" = stall ]; then
      echo " USBDEVFS_REAPURBNDELAY 0 3 131 -32 0 2 0 0 " >>"$work/$name.ioctl"
    else
      echo " USBDEVFS_REAPURBNDELAY 0 3 131 0 0 2 2 0 $in" >>"$work/$name.ioctl"
    fi
  done
}

# A register-mode sweep over every position from 65: the start read, a write and a read per position, the
# start position restored.
sweep=("019F 0180")
for position in $(seq 1 128); do
  sweep+=("$(printf '019E%02X 0200' $((2 * position - 1)))" "$(printf '019F 01%02X' $((2 * position - 2)))")
done
sweep+=("019E81 0200")

script info
script dcp-get "019F 0180"
script dcp-set "019E81 0200"
script dcp-set-verify "019E81 0200" "019F 0180"
# The part busy for two polls, then answering with the stored byte.
script dcp-store "019E8A 0200" "019F 0000" "019F 0000" "019F 018A"
script dcp-sweep "${sweep[@]}"
# The module stalls the reply: the driver clears the halt, but the module is left unusable.
script failed-transfer "019F stall"
# A session of 1,000 `dcp set N` + `dcp get` pairs, as a script or the Python package sends them: one open
# for all of them.
session=()
: >"$work/session.in"
for i in $(seq 0 999); do
  position=$((i % 128 + 1))
  session+=("$(printf '019E%02X 0200' $((2 * position - 1)))" "$(printf '019F 01%02X' $((2 * position - 2)))")
  printf 'dcp set %d\ndcp get\n' "$position" >>"$work/session.in"
done
script session "${session[@]}"

printf '%-44s %5s %5s %6s %7s %7s  %s\n' action OUT IN opens claims resets "est. real module"
run() {
  local name=$1
  shift
  local log="$work/$name.log"
  XDG_STATE_HOME="$work/state" HOME="$work/state" QT_LOGGING_RULES="vtx.usb.debug=true" \
    umockdev-run -d "$USB_DATA/vtxmodule.umockdev" -i "/dev/bus/usb/001/002=$work/$name.ioctl" -- \
    "$VTXCTL" "$@" <"${input:-/dev/null}" >/dev/null 2>"$log" || true
  local out in opens claims resets
  out=$(grep -c ' write [0-9]* of ' "$log" || true)
  in=$(grep -c ' read [0-9]* of ' "$log" || true)
  opens=$(grep -c 'opened the module as handle' "$log" || true)
  claims=$(grep -c 'claimed interface' "$log" || true)
  resets=$(grep -c 'port reset of handle' "$log" || true)
  printf '%-44s %5d %5d %6d %7d %7d  ~%d ms\n' "vtxctl $*${note:-}" "$out" "$in" "$opens" "$claims" "$resets" \
    $(((out + in) * TRANSFER_MS + resets * RESET_MS))
}
run info info
run dcp-get dcp get
run dcp-set dcp set 65
run dcp-set-verify dcp set 65 --verify
run dcp-store dcp store 70
run dcp-sweep dcp sweep --from 1 --to 128
note=" (reply stalled)" run failed-transfer dcp get
note=" < 1,000 set/get pairs" input="$work/session.in" run session session
echo
echo "Counted through the libusb driver under umockdev. The estimate assumes $TRANSFER_MS ms per transfer" \
     "(a full-speed frame) and $RESET_MS ms per port reset (reset and enumeration); it is not a measurement."
echo "dcp store: the emulated part is busy for two polls; a real part's cycle (about 5 ms) takes a few more."
echo "session: the open's four transfers, then two per request (the command and its reply): 4,000 for the pairs."

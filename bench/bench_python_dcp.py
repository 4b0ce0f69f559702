#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""1,000 `dcp set` + `dcp get` pairs through the vtx package on the simulated board, in operations a second.

    VTXCTL=build/app/vtxctl PYTHONPATH=python python3 bench/bench_python_dcp.py [--pairs N] [--runs N]

Each run is one held session (its first request, which opens the board, is not timed). Prints the figure
and, for scripts/bench.sh, a GOAL line with min / median / max over the runs.
"""

import argparse
import os
import statistics
import sys
import tempfile
import time

import vtx

GOAL_OPS_PER_S = 5000


def one_run(pairs: int) -> float:
    with vtx.connect(simulate=True) as bench:
        bench.dcp.get()
        start = time.perf_counter()
        for i in range(pairs):
            position = i % 128 + 1
            bench.dcp.set(position)
            if bench.dcp.get() != position:
                raise SystemExit(f"position {position} read back as something else")
        elapsed = time.perf_counter() - start
    return 2 * pairs / elapsed


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--pairs", type=int, default=1000)
    parser.add_argument("--runs", type=int, default=5)
    arguments = parser.parse_args()
    with tempfile.TemporaryDirectory() as state:
        # A board of its own: the user's simulated board is neither read nor changed.
        os.environ["XDG_STATE_HOME"] = state
        rates = sorted(one_run(arguments.pairs) for _ in range(arguments.runs))
    median = statistics.median(rates)
    print(f"Python: {arguments.pairs:,} dcp set + get pairs: {median:,.0f} ops/s (goal >= {GOAL_OPS_PER_S:,})")
    figure = f"{rates[0]:,.0f} / {median:,.0f} / {rates[-1]:,.0f} ops/s (n={len(rates)})"
    verdict = "MET" if median >= GOAL_OPS_PER_S else "NOT MET"
    print(f"GOAL\t21\tPython: {arguments.pairs:,} dcp set + get pairs through the vtx package\t{figure}\t"
          f">= {GOAL_OPS_PER_S:,} operations per second\t{verdict}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

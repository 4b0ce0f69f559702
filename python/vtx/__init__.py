# SPDX-License-Identifier: GPL-3.0-or-later
"""Scripting the VTX8303 evaluation board from Python, through a held ``vtxctl --json session``.

    import vtx
    with vtx.connect(simulate=True) as bench:
        bench.dcp.set(65, verify=True)
        print(bench.dcp.get())
"""

from .bench import Bench, Dcp, StoreResult, SweepRow, connect
from .errors import LinkError, NakError, UsageError, VtxError

__version__ = "2.0.2"

__all__ = [
    "Bench",
    "Dcp",
    "LinkError",
    "NakError",
    "StoreResult",
    "SweepRow",
    "UsageError",
    "VtxError",
    "connect",
]

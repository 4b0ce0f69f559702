# SPDX-License-Identifier: GPL-3.0-or-later
"""pytest plugin: the ``vtx_bench`` fixture for hardware-in-the-loop tests.

Each test gets the simulated board at its factory defaults, in a state directory of its own, unless
``--vtx-device SERIAL`` names a module: then every test runs on that module. vtxctl is found as
vtx.connect() finds it (the environment variable VTXCTL, else the PATH).
"""

from __future__ import annotations

from typing import Iterator

import pytest

from .bench import Bench, connect


def pytest_addoption(parser: pytest.Parser) -> None:
    group = parser.getgroup("vtx", "VTX8303 evaluation board")
    group.addoption(
        "--vtx-device",
        metavar="SERIAL",
        default=None,
        help="run vtx_bench tests on the module with this serial number (or BUS-PORT path) instead of "
        "the simulated board",
    )


def pytest_report_header(config: pytest.Config) -> str:
    device = config.getoption("vtx_device")
    return f"vtx_bench: {'module ' + device if device else 'the simulated board'}"


@pytest.fixture
def vtx_bench(
    request: pytest.FixtureRequest, tmp_path_factory: pytest.TempPathFactory, monkeypatch: pytest.MonkeyPatch
) -> Iterator[Bench]:
    """The bench for one test, closed after it."""
    device = request.config.getoption("vtx_device")
    if device:
        bench = connect(device=device)
    else:
        # The simulated board keeps its state in $XDG_STATE_HOME: a fresh directory is a fresh board, and
        # no test sees another's (or the user's) board.
        monkeypatch.setenv("XDG_STATE_HOME", str(tmp_path_factory.mktemp("vtx-state")))
        bench = connect(simulate=True)
    with bench:
        yield bench

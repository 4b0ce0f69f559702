# SPDX-License-Identifier: GPL-3.0-or-later
# The package on the real libusb driver: vtxctl runs under umockdev-run with two emulated modules (serial
# VTX8303-A1 on port 1-1, whose wiper reads 0x80; VTX8303-B2 on port 2-3, reading 0x7E), as tst_vtxctl runs
# them. ctest names umockdev-run and the modules' files in the environment.
import os
import textwrap

import pytest

import vtx

UMOCKDEV_RUN = os.environ.get("VTX_UMOCKDEV_RUN", "")
pytestmark = pytest.mark.skipif(not UMOCKDEV_RUN, reason="umockdev-run is not installed")


@pytest.fixture
def two_modules(tmp_path):
    """A vtxctl that sees the two emulated modules: a wrapper script around the vtxctl under test."""
    usb = os.environ["VTX_USB_TESTDATA"]
    cli = os.environ["VTX_CLI_TESTDATA"]
    wrapper = tmp_path / "vtxctl"
    wrapper.write_text(textwrap.dedent(f"""\
        #!/bin/sh
        exec {UMOCKDEV_RUN} -d {usb}/vtxmodule.umockdev -d {usb}/vtxmodule2.umockdev \\
            -i /dev/bus/usb/001/002={cli}/vtxctl-module.ioctl -i /dev/bus/usb/002/005={cli}/vtxctl-module2.ioctl \\
            -- {vtx.session.find_vtxctl()} "$@"
        """))
    wrapper.chmod(0o755)
    return str(wrapper)


@pytest.mark.parametrize("device, position", [("VTX8303-A1", 65), ("VTX8303-B2", 64), ("2-3", 64)])
def test_the_chosen_module_answers(two_modules, device, position):
    with vtx.connect(device=device, vtxctl=two_modules) as bench:
        assert bench.dcp.get() == position
    assert bench.returncode == 0


def test_no_choice_among_two_is_a_usage_error_that_lists_them(two_modules):
    with vtx.connect(vtxctl=two_modules) as bench:
        with pytest.raises(vtx.UsageError) as raised:
            bench.dcp.get()
    assert raised.value.messages == (
        "2 modules are plugged in: choose one with --device SERIAL or --device BUS-PORT",
        "1-1        serial VTX8303-A1  kind 1",
        "2-3        serial VTX8303-B2  kind 1",
    )


def test_vtx_device_puts_the_fixture_on_the_module(pytester, monkeypatch, two_modules):
    monkeypatch.setenv("VTXCTL", two_modules)
    pytester.makepyfile("def test_on_b2(vtx_bench):\n    assert vtx_bench.dcp.get() == 64\n")
    result = pytester.runpytest("-p", "vtx.pytest_plugin", "--vtx-device", "VTX8303-B2")
    result.assert_outcomes(passed=1)
    result.stdout.fnmatch_lines(["vtx_bench: module VTX8303-B2"])

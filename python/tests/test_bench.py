# SPDX-License-Identifier: GPL-3.0-or-later
# The vtx package against the real `vtxctl --json session` on the simulated board (VTXCTL names the vtxctl
# under test). Run as ctest runs it: python3 -m pytest -p pytester -p vtx.pytest_plugin python/tests
import json
import sys
import textwrap

import pytest

import vtx


@pytest.mark.parametrize("position", [1, 65, 128])
def test_dcp_set_is_read_back_by_get(vtx_bench, position):
    vtx_bench.dcp.set(position, verify=True)
    assert vtx_bench.dcp.get() == position


def test_dcp_store_keeps_the_position_over_a_power_cycle(vtx_bench):
    assert vtx_bench.dcp.store(70) == vtx.StoreResult(verified=True, write_cycle_ms=5.0)
    vtx_bench.dcp.set(3)
    vtx_bench.command("board", "power-cycle")
    assert vtx_bench.dcp.get() == 70


def test_sweep_yields_each_position_and_puts_the_wiper_back(vtx_bench):
    vtx_bench.dcp.set(20)
    rows = list(vtx_bench.dcp.sweep(1, 9, step=4))
    assert [(row.position, row.written, row.read_position, row.outcome, row.ok) for row in rows] == [
        (1, 0x01, 1, "OK", True),
        (5, 0x09, 5, "OK", True),
        (9, 0x11, 9, "OK", True),
    ]
    assert vtx_bench.dcp.get() == 20


def test_a_sweep_left_early_ends_before_the_next_request(vtx_bench):
    vtx_bench.dcp.set(20)
    first = next(iter(vtx_bench.dcp.sweep(1, 128)))
    assert first.position == 1
    assert vtx_bench.dcp.get() == 20


def test_register_and_plain_bytes(vtx_bench):
    vtx_bench.set(0x60, 0x03, 0x55)
    assert vtx_bench.get(0x60, 0x03) == 0x55
    vtx_bench.set(0x4F, 0x81)  # a plain write of the wiper register: position 65
    assert vtx_bench.get(0x4F) == 0x80
    assert vtx_bench.scan() == [0x4F, 0x60]


def test_dump_gives_none_where_no_register_answered(vtx_bench):
    vtx_bench.set(0x60, 0x03, 0x55)
    assert vtx_bench.dump(0x60, first=0x02, count=2) == [0x00, 0x55]
    assert vtx_bench.dump(0x22, count=3) == [None, None, None]


def test_info_names_the_simulated_driver(vtx_bench):
    assert vtx_bench.info()["driver"] == "simulated"


@pytest.mark.parametrize(
    "call, error, exit_code, messages",
    [
        pytest.param(lambda bench: bench.get(0x22), vtx.NakError, 1,
                     ["NAK: 0x22 (write 44) did not acknowledge (transfer count 0)"], id="nak"),
        pytest.param(lambda bench: bench.dcp.set(129), vtx.UsageError, 2,
                     ["dcp: POS: '129' is out of range for a wiper position: give 1 to 128, in hex with 0x or "
                      "in decimal", "Try 'vtxctl --help'."], id="position"),
        pytest.param(lambda bench: bench.command("bogus"), vtx.UsageError, 2,
                     ["unknown command 'bogus'", "Try 'vtxctl --help'."], id="command"),
    ],
)
def test_failures_carry_vtxctl_s_messages_and_the_session_goes_on(vtx_bench, call, error, exit_code, messages):
    with pytest.raises(error) as raised:
        call(vtx_bench)
    assert isinstance(raised.value, vtx.VtxError)
    assert (raised.value.exit_code, list(raised.value.messages)) == (exit_code, messages)
    assert vtx_bench.dcp.get() == 64


def test_close_ends_vtxctl(vtx_bench):
    vtx_bench.dcp.get()
    vtx_bench.close()
    assert vtx_bench.returncode == 0
    with pytest.raises(vtx.VtxError):
        vtx_bench.dcp.get()


# Stand-ins for a vtxctl that cannot go on: one that dies at once, one whose session loses the module.
DIES = """
    sys.stderr.write("vtxctl: no module with serial number SER-1\\n")
    sys.exit(3)
"""
LOSES_THE_MODULE = """
    request = json.loads(sys.stdin.readline())
    print(json.dumps({"id": request["id"], "done": True, "exit": 3,
                      "messages": ["no module with serial number SER-1"]}))
    sys.exit(3)
"""


@pytest.mark.parametrize("body", [DIES, LOSES_THE_MODULE], ids=["dies", "loses-the-module"])
def test_a_vtxctl_that_cannot_go_on_is_a_link_error(tmp_path, body):
    fake = tmp_path / "vtxctl"
    fake.write_text(f"#!{sys.executable}\nimport json, sys\n"
                    f"open({str(tmp_path / 'argv')!r}, 'w').write(json.dumps(sys.argv[1:]))\n"
                    + textwrap.dedent(body))
    fake.chmod(0o755)
    with vtx.connect(device="SER-1", vtxctl=str(fake)) as bench:
        for _ in range(2):  # the second request learns why the session ended
            with pytest.raises(vtx.LinkError) as raised:
                bench.scan()
            assert raised.value.messages == ("no module with serial number SER-1",)
            assert raised.value.exit_code == 3
    assert bench.returncode == 3
    assert json.loads((tmp_path / "argv").read_text()) == ["--json", "--device", "SER-1", "session"]

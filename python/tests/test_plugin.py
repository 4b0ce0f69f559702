# SPDX-License-Identifier: GPL-3.0-or-later
# The pytest plugin's vtx_bench fixture, in a pytest run of its own.
import json
import sys


def test_each_test_gets_a_fresh_simulated_board(pytester):
    pytester.makepyfile(
        """
        def test_stores_a_position(vtx_bench):
            vtx_bench.dcp.store(100)

        def test_sees_the_factory_eeprom(vtx_bench):
            vtx_bench.command("board", "power-cycle")
            assert vtx_bench.dcp.get() == 64
        """
    )
    result = pytester.runpytest("-p", "vtx.pytest_plugin")
    result.assert_outcomes(passed=2)
    result.stdout.fnmatch_lines(["vtx_bench: the simulated board"])


def test_vtx_device_chooses_the_module(pytester, monkeypatch):
    argv_file = pytester.path / "argv"
    fake = pytester.path / "vtxctl"
    fake.write_text(f"#!{sys.executable}\nimport json, sys\n"
                    f"open({str(argv_file)!r}, 'w').write(json.dumps(sys.argv[1:]))\n")
    fake.chmod(0o755)
    monkeypatch.setenv("VTXCTL", str(fake))
    pytester.makepyfile("def test_opens(vtx_bench):\n    vtx_bench.close()\n")
    result = pytester.runpytest("-p", "vtx.pytest_plugin", "--vtx-device", "SER-2")
    result.assert_outcomes(passed=1)
    assert json.loads(argv_file.read_text()) == ["--json", "--device", "SER-2", "session"]

# SPDX-License-Identifier: GPL-3.0-or-later
"""The bench: the evaluation board's devices through one held ``vtxctl session``."""

from __future__ import annotations

import math
from dataclasses import dataclass
from types import TracebackType
from typing import Any, Iterator, Optional, Union

from .errors import LinkError, NakError
from .session import Reply, SessionProcess, find_vtxctl

Word = Union[str, int]


def _word(value: Word) -> str:
    # bool is an int to Python; True as an address is a mistake, not 1.
    if isinstance(value, bool) or not isinstance(value, (str, int)):
        raise TypeError(f"a vtxctl word is a str or an int, not {type(value).__name__}")
    return str(value)


def _milliseconds(microseconds: Optional[int]) -> Optional[float]:
    return None if microseconds is None else microseconds / 1000.0


@dataclass(frozen=True)
class StoreResult:
    """A verified EEPROM store: whether the EEPROM read back the position, and how long its write cycle
    took (NaN when vtxctl measured none)."""

    verified: bool
    write_cycle_ms: float


@dataclass(frozen=True)
class SweepRow:
    """One position of a sweep, as vtxctl reports it when the position is done."""

    position: int
    written: int
    read_position: Optional[int]
    read_byte: Optional[int]
    outcome: str
    ok: bool
    write_cycle_ms: Optional[float]

    @classmethod
    def from_json(cls, item: dict[str, Any]) -> "SweepRow":
        """The row of one of `dcp sweep`'s JSON objects."""
        return cls(
            position=item["position"],
            written=item["byte"],
            read_position=item.get("readPosition"),
            read_byte=item.get("readByte"),
            outcome=item["outcome"],
            ok=item["ok"],
            write_cycle_ms=_milliseconds(item.get("writeCycleUs")),
        )


class Dcp:
    """The VTX8303 on the evaluation board (at 0x4F): its wiper position 1..128 and its EEPROM."""

    def __init__(self, bench: "Bench") -> None:
        self._bench = bench

    def set(self, pos: int, eeprom: bool = False, verify: bool = False) -> None:
        """Writes position ``pos`` to the wiper register, or with ``eeprom`` to the EEPROM; with ``verify``
        reads it back and raises NakError when the position read differs."""
        argv: list[Word] = ["dcp", "set", pos]
        if eeprom:
            argv.append("--eeprom")
        if verify:
            argv.append("--verify")
        self._bench.command(*argv)

    def get(self) -> int:
        """The wiper position, 1..128."""
        return int(self._bench.command("dcp", "get")[0]["position"])

    def store(self, pos: Optional[int] = None) -> StoreResult:
        """Stores ``pos`` (default: the present position) in the EEPROM, waits for the write cycle and reads
        the position back; raises NakError when it differs or the write cycle did not end."""
        argv: list[Word] = ["dcp", "store"]
        if pos is not None:
            argv.append(pos)
        item = self._bench.command(*argv)[0]
        cycle = _milliseconds(item.get("writeCycleUs"))
        return StoreResult(verified=item.get("verdict") == "verified",
                           write_cycle_ms=math.nan if cycle is None else cycle)

    def sweep(self, start: int, stop: int, step: int = 1, eeprom: bool = False) -> Iterator[SweepRow]:
        """Writes and reads back every ``step``-th position from ``start`` to ``stop`` (to the EEPROM with
        ``eeprom``), yielding each row as soon as vtxctl has done it; the wiper is put back afterwards.

        Raises NakError after the last row when a position did not read back as written. vtxctl runs the
        sweep at its own pace: a loop that stops early leaves it to finish before the next request.
        """
        argv: list[Word] = ["dcp", "sweep", "--from", start, "--to", stop, "--step", step]
        if eeprom:
            argv.append("--eeprom")
        for item in self._bench._stream(argv):
            if "outcome" in item:
                yield SweepRow.from_json(item)


class Bench:
    """The evaluation board behind its USB control module, held open by one ``vtxctl --json session``
    until close() (or the end of the ``with`` block).

    Addresses are 7-bit, as in vtxctl. Every call raises NakError, LinkError or UsageError (all VtxError)
    with vtxctl's own messages when the request failed.
    """

    def __init__(self, session: SessionProcess) -> None:
        self._session = session
        self.dcp = Dcp(self)

    def command(self, *argv: Word) -> list[dict[str, Any]]:
        """Runs any vtxctl command (the words after the global options, as on the command line) and returns
        the JSON objects it printed, without their "id"."""
        return list(self._stream(argv))

    def set(self, addr: int, reg_or_value: int, value: Optional[int] = None) -> None:
        """Writes one byte: ``set(addr, value)`` as a plain write, ``set(addr, reg, value)`` to a register."""
        if value is None:
            self.command("set", addr, reg_or_value)
        else:
            self.command("set", addr, reg_or_value, value)

    def get(self, addr: int, reg: Optional[int] = None) -> int:
        """Reads one byte: a register's with ``reg``, else a plain one-byte read."""
        argv: list[Word] = ["get", addr] if reg is None else ["get", addr, reg]
        return int(self.command(*argv)[0]["value"])

    def scan(self) -> list[int]:
        """The 7-bit addresses that answer on the bus."""
        return [int(address) for address in self.command("scan")[0]["addresses"]]

    def dump(self, addr: int, first: int = 0, count: int = 32) -> list[Optional[int]]:
        """Reads ``count`` registers from ``first`` on: one value per register, None where the device did
        not acknowledge. Raises only when the request failed as a whole (bad words, the link)."""
        reply = Reply(["dump", _word(addr), _word(first), _word(count)])
        for _ in self._session.stream(reply.argv, reply):
            pass
        rows = [item for item in reply.results if "register" in item]
        error = reply.error()
        if isinstance(error, NakError):
            if len(rows) == count:
                # A device that did not answer every register is what None is for.
                return [item.get("value") for item in rows]
            # vtxctl prints a row for every register it asked, answered or not: rows missing mean the
            # transfers failed part-way, which its JSON does not mark as "error": "link".
            raise LinkError(error.messages, error.exit_code, error.argv, error.results)
        if error is not None:
            raise error
        return [item.get("value") for item in rows]

    def info(self) -> dict[str, Any]:
        """The module: USB vendor and product ID, kind, I2C pipes and driver, as `vtxctl --json info`."""
        return self.command("info")[0]

    def close(self) -> None:
        """Ends the session: vtxctl releases the module and exits. Safe to call twice."""
        self._session.close()

    @property
    def closed(self) -> bool:
        """Whether close() was called."""
        return self._session.closed

    @property
    def returncode(self) -> Optional[int]:
        """vtxctl's exit status once it has ended (the highest of its requests', 3 when the module was lost),
        else None."""
        return self._session.returncode

    def _stream(self, argv: "tuple[Word, ...] | list[Word]") -> Iterator[dict[str, Any]]:
        reply = Reply([_word(word) for word in argv])
        yield from self._session.stream(reply.argv, reply)
        error = reply.error()
        if error is not None:
            raise error

    def __enter__(self) -> "Bench":
        return self

    def __exit__(
        self,
        exc_type: Optional[type[BaseException]],
        exc: Optional[BaseException],
        traceback: Optional[TracebackType],
    ) -> None:
        self.close()


def connect(
    simulate: bool = False, device: Optional[str] = None, *, vtxctl: Optional[str] = None, trace: bool = False
) -> Bench:
    """Starts ``vtxctl --json session`` on the simulated board (``simulate``), the module ``device`` (a serial
    number or BUS-PORT path) or the only module plugged in, and returns the bench; use it in a ``with``
    block or close() it.

    vtxctl is the one given, else the one named by the environment variable VTXCTL, else the one on the
    PATH. The module is opened by the first request, so a missing module is a LinkError there. ``trace``
    passes --trace: the trace messages and pipe transfers go to standard error.
    """
    if simulate and device is not None:
        raise ValueError("simulate and device exclude each other")
    command = [find_vtxctl(vtxctl), "--json"]
    if simulate:
        command.append("--simulate")
    if device is not None:
        command += ["--device", device]
    if trace:
        command.append("--trace")
    command.append("session")
    return Bench(SessionProcess(command, trace))

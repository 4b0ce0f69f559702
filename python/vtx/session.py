# SPDX-License-Identifier: GPL-3.0-or-later
"""The ``vtxctl --json session`` process: one JSON request a line in, result lines and a done line out."""

from __future__ import annotations

import json
import os
import shutil
import subprocess
import tempfile
from typing import IO, Any, Iterator, Optional, Sequence

from .errors import LinkError, VtxError, error_for

# How long close() gives vtxctl to put the board back and leave before it is stopped.
_QUIT_TIMEOUT_S = 10.0


def find_vtxctl(vtxctl: Optional[str] = None) -> str:
    """The vtxctl to run: the one given, else the one the environment variable VTXCTL names, else vtxctl on
    the PATH."""
    chosen = vtxctl or os.environ.get("VTXCTL") or shutil.which("vtxctl")
    if not chosen:
        raise VtxError(["vtxctl was not found: install it, or name it in the environment variable VTXCTL"])
    return chosen


def _prefixless(line: str) -> str:
    return line[len("vtxctl: ") :] if line.startswith("vtxctl: ") else line


class Reply:
    """What one request printed: its result objects (without "id") and its exit status and messages."""

    def __init__(self, argv: Sequence[str]) -> None:
        self.argv = tuple(argv)
        self.results: list[dict[str, Any]] = []
        self.exit_code: Optional[int] = None
        self.messages: list[str] = []

    def error(self) -> Optional[VtxError]:
        """The failure to raise for this request, None when it succeeded."""
        if self.exit_code == 0:
            return None
        return error_for(self.exit_code if self.exit_code is not None else -1, self.messages, self.argv,
                         self.results)


class SessionProcess:
    """One running ``vtxctl --json [...] session``.

    Requests are answered one after another; a request whose lines were not all read (a sweep left early)
    is read to its end before the next one is sent, since vtxctl runs it to its end anyway.
    """

    def __init__(self, command: Sequence[str], trace: bool) -> None:
        # Without --trace vtxctl writes to standard error only when it cannot go on (it says the rest in the
        # done lines); a file keeps those words for the LinkError without a pipe that could fill up. With
        # --trace the trace goes where the caller's standard error goes.
        self._stderr: Optional[IO[bytes]] = None if trace else tempfile.TemporaryFile()
        try:
            self._process = subprocess.Popen(
                list(command), stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=self._stderr
            )
        except OSError as error:
            self._close_stderr()
            raise VtxError([f"{command[0]} could not be started: {error.strerror or error}"]) from error
        assert self._process.stdin is not None and self._process.stdout is not None
        self._in: IO[bytes] = self._process.stdin
        self._out: IO[bytes] = self._process.stdout
        self._next_id = 1
        self._unfinished: Optional[Reply] = None
        self._unfinished_id = 0
        # Why the session cannot take requests any more (the module lost, vtxctl gone), once it is so.
        self._ended: Optional[LinkError] = None
        self.closed = False

    def stream(self, argv: Sequence[str], reply: Reply) -> Iterator[dict[str, Any]]:
        """Sends one request and yields its result objects as vtxctl prints them; ``reply`` holds them,
        and the exit status and messages once the done line came."""
        self._finish_unfinished()
        request_id = self._send(argv)
        self._unfinished, self._unfinished_id = reply, request_id
        while True:
            line = self._read_for(request_id, reply)
            if line is None:
                break
            yield line
        self._unfinished = None

    @property
    def returncode(self) -> Optional[int]:
        """vtxctl's exit status once it has ended and been reaped, else None."""
        return self._process.returncode

    def close(self) -> None:
        """Ends the session (quit), waits for vtxctl and reaps it; one that does not end in time is
        stopped. Does nothing the second time."""
        if self.closed:
            return
        self.closed = True
        process = self._process
        try:
            if process.poll() is None:
                try:
                    self._in.write(json.dumps({"id": "quit", "argv": ["quit"]}).encode() + b"\n")
                except OSError:
                    pass  # vtxctl is gone already: there is nothing to end
            # communicate() closes standard input and reads what is still printed (a sweep left early, the
            # quit's done line), so vtxctl is never blocked on a full pipe while we wait.
            try:
                process.communicate(timeout=_QUIT_TIMEOUT_S)
            except subprocess.TimeoutExpired:
                # As Ctrl+C would: vtxctl puts a running sweep back and releases the board.
                process.terminate()
                try:
                    process.communicate(timeout=_QUIT_TIMEOUT_S)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.communicate()
        finally:
            self._close_stderr()

    def _send(self, argv: Sequence[str]) -> int:
        if self.closed:
            raise VtxError(["the bench is closed"], None, argv)
        if self._ended is not None:
            raise LinkError(self._ended.messages, self._ended.exit_code, argv)
        request_id = self._next_id
        self._next_id += 1
        line = json.dumps({"id": request_id, "argv": list(argv)}).encode() + b"\n"
        try:
            self._in.write(line)
            self._in.flush()
        except OSError:
            raise self._gone(argv) from None
        return request_id

    def _read_for(self, request_id: int, reply: Reply) -> Optional[dict[str, Any]]:
        """The next result object of the request, or None after its done line."""
        while True:
            line = self._out.readline()
            if not line:
                raise self._gone(reply.argv)
            try:
                item = json.loads(line)
            except ValueError:
                continue  # not ours: vtxctl's JSON lines are all the protocol has
            if not isinstance(item, dict) or item.get("id") != request_id:
                continue
            del item["id"]
            if item.get("done") is not True:
                reply.results.append(item)
                return item
            reply.exit_code = int(item.get("exit", -1))
            reply.messages = [str(message) for message in item.get("messages", [])]
            if reply.exit_code == 3:
                # A lost module ends the session after this line; later requests say why.
                self._ended = LinkError(reply.messages, 3, reply.argv)
            return None

    def _finish_unfinished(self) -> None:
        reply = self._unfinished
        if reply is None:
            return
        self._unfinished = None
        while self._read_for(self._unfinished_id, reply) is not None:
            pass

    def _gone(self, argv: Sequence[str]) -> LinkError:
        """The LinkError for a vtxctl that stopped answering: its exit status and what it wrote on standard
        error."""
        if self._ended is not None:
            return LinkError(self._ended.messages, self._ended.exit_code, argv)
        try:
            status = self._process.wait(timeout=_QUIT_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            self._process.kill()
            status = self._process.wait()
        messages: list[str] = []
        if self._stderr is not None:
            self._stderr.seek(0)
            text = self._stderr.read().decode(errors="replace")
            messages = [_prefixless(line) for line in text.splitlines() if line.strip()]
        if not messages:
            how = f"was ended by signal {-status}" if status < 0 else f"exited with status {status}"
            where = " (see its trace on standard error)" if self._stderr is None else ""
            messages = [f"vtxctl {how}{where}"]
        self._ended = LinkError(messages, status, argv)
        return self._ended

    def _close_stderr(self) -> None:
        if self._stderr is not None:
            self._stderr.close()
            self._stderr = None

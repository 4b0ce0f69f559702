# SPDX-License-Identifier: GPL-3.0-or-later
"""The failures a bench raises, one class per kind of vtxctl exit status."""

from __future__ import annotations

from typing import Any, Mapping, Optional, Sequence


class VtxError(Exception):
    """A request that vtxctl did not carry out, or a vtxctl that could not be run.

    ``messages`` are the lines vtxctl wrote for the request (without its "vtxctl: " prefix), ``exit_code``
    its exit status for it (None when vtxctl never answered), ``argv`` the request's words and ``results``
    the JSON objects it printed before failing (a failed transfer's object carries "error" and
    "transferCount").
    """

    def __init__(
        self,
        messages: Sequence[str],
        exit_code: Optional[int] = None,
        argv: Sequence[str] = (),
        results: Sequence[Mapping[str, Any]] = (),
    ) -> None:
        self.messages: tuple[str, ...] = tuple(messages)
        self.exit_code = exit_code
        self.argv: tuple[str, ...] = tuple(argv)
        self.results: tuple[Mapping[str, Any], ...] = tuple(results)
        text = "\n".join(self.messages)
        if not text:
            text = f"vtxctl {' '.join(self.argv)}: exit status {exit_code}"
        super().__init__(text)


class NakError(VtxError):
    """A device did not acknowledge, or a value read back differed from the one written (exit status 1)."""


class LinkError(VtxError):
    """The module: not found, no permission, in use, lost, a failed transfer, or vtxctl itself gone
    (exit status 3, or 1 with "error": "link")."""


class UsageError(VtxError):
    """vtxctl did not accept the request's words or a file it names (exit status 2)."""


def error_for(
    exit_code: int, messages: Sequence[str], argv: Sequence[str], results: Sequence[Mapping[str, Any]]
) -> VtxError:
    """The exception for a request that ended with a nonzero exit status."""
    if exit_code == 2:
        return UsageError(messages, exit_code, argv, results)
    if exit_code == 3 or any(result.get("error") == "link" for result in results):
        return LinkError(messages, exit_code, argv, results)
    if exit_code == 1:
        return NakError(messages, exit_code, argv, results)
    return VtxError(messages, exit_code, argv, results)

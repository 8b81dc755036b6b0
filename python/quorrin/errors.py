"""The result codes of quorrin.h and the exception that carries a failed call's code."""

from __future__ import annotations

import enum
import errno
import os
from typing import TYPE_CHECKING, Optional

if TYPE_CHECKING:
    from .records import Message


class Result(enum.IntEnum):
    """The library's named result codes, with the values quorrin.h fixes."""

    DDI_OK = 0x00000000
    ERR_DEVICE_BASE = 0xE0070000
    ERR_MGMT_HANDLE = 0xE0070040
    ERR_MGMT_STATE = 0xE0070041
    ERR_MGMT_CONFIRMATION = 0xE0070043
    ERR_MGMT_TEXT_LENGTH = 0xE0070044
    ERR_MGMT_HOST = 0xE0070045
    ERR_HANDLE_RANGE = 0xE0070085
    ERR_NODE_STATE = 0xE0070086
    ERR_CONFIRMATION = 0xE007008C
    ERR_NODE_NAME = 0xE0070091
    ERR_TABLE_FULL = 0xE0070092
    ERR_HANDLER_STATE = 0xE0070100
    ERR_BAD_OPTION = 0xE0070200
    ERR_OPTION_SIZE = 0xE0070201
    ERR_INVALID_ARGUMENT = 0xE0070300
    ERR_NETWORK = 0xE0071000
    ERR_TIMEOUT = 0xE0071001
    ERR_NO_MEMORY = 0xE0071002
    ERR_REQUEST_LENGTH = 0xE0071003
    ERR_BUFFER_SIZE = 0xE0071004
    ERR_HOST_UNRESOLVED = 0xE0071016
    ERR_REGISTRY_KEY = 0xE0071020
    ERR_REGISTRY_VALUE = 0xE0071021
    ERR_DEVICE_NOT_IN_USE = 0xE0071022


# Each code's one-line meaning, as quorrin.h gives it.
MEANINGS: dict[Result, str] = {
    Result.DDI_OK: "success",
    Result.ERR_DEVICE_BASE: "plus the controller's error code of a negative confirmation",
    Result.ERR_MGMT_HANDLE: "management handle above 15",
    Result.ERR_MGMT_STATE: "management connection not open",
    Result.ERR_MGMT_CONFIRMATION: "unexpected management confirmation",
    Result.ERR_MGMT_TEXT_LENGTH: "text argument longer than 16 characters",
    Result.ERR_MGMT_HOST: "management host not resolvable",
    Result.ERR_HANDLE_RANGE: "node handle outside 64..319",
    Result.ERR_NODE_STATE: "node not open-idle, or a needed indication mode not active",
    Result.ERR_CONFIRMATION: "confirmation carries another code than expected, or too few result bytes",
    Result.ERR_NODE_NAME: "node name malformed, or not listed for its device",
    Result.ERR_TABLE_FULL: "no free entry in the node or management table",
    Result.ERR_HANDLER_STATE: "exception handler cannot be set or cleared in this state",
    Result.ERR_BAD_OPTION: "client option number not supported",
    Result.ERR_OPTION_SIZE: "wrong size for a client option",
    Result.ERR_INVALID_ARGUMENT: "null record or data address, a count out of range, or a control command"
    " outside the table; a bad handle is reported first",
    Result.ERR_NETWORK: "socket error, connection closed, malformed message or datagram; see ETH_GetNetworkError",
    Result.ERR_TIMEOUT: "a wait for a connection or for reply data timed out",
    Result.ERR_NO_MEMORY: "a buffer cannot be allocated",
    Result.ERR_REQUEST_LENGTH: "request longer than 1054 bytes (control payload over 1038), or reply could not"
    " fit 2048 bytes",
    Result.ERR_BUFFER_SIZE: "DDI_MXI_RcvMessage: the message was longer than the caller's buffer; the buffer"
    " holds its start, `length` its full size",
    Result.ERR_HOST_UNRESOLVED: "host is neither a dotted IPv4 address nor a resolvable name",
    Result.ERR_REGISTRY_KEY: "parameter key or device subkey cannot be opened",
    Result.ERR_REGISTRY_VALUE: "value InUse, DeviceNames or IPAddress missing",
    Result.ERR_DEVICE_NOT_IN_USE: "the device's InUse value is not YES",
}

# The library reports socket errors in the Windows numbering; these are the ones a
# user meets on a network, told in the words of this system's own errno.
_SOCKET_ERRORS = {
    10049: errno.EADDRNOTAVAIL,
    10051: errno.ENETUNREACH,
    10054: errno.ECONNRESET,
    10060: errno.ETIMEDOUT,
    10061: errno.ECONNREFUSED,
    10065: errno.EHOSTUNREACH,
}


def describe(code: int) -> tuple[str, str, Optional[int]]:
    """The name, the one-line meaning and the controller's own error code (if any) of a result.

    A named code wins over the device range: the header's codes lie in it as well.
    Register reads return the controller's code without the base.
    """
    try:
        result = Result(code)
    except ValueError:
        pass
    else:
        return result.name, MEANINGS[result], None
    controller = code - Result.ERR_DEVICE_BASE
    if 0 < controller <= 0xFFFF:
        return f"ERR_DEVICE_BASE + 0x{controller:04X}", MEANINGS[Result.ERR_DEVICE_BASE], controller
    if 0 < code <= 0xFFFF:
        return f"controller error 0x{code:04X}", "a register read's negative confirmation (the controller's code, without base)", code
    return "unknown result", "not a result code of quorrin.h", None


def describe_network_error(number: int) -> str:
    """The last network error as a text: its number, and its meaning where one is known."""
    known = _SOCKET_ERRORS.get(number)
    if known is not None:
        return f"network error {number} ({os.strerror(known).lower()})"
    return f"network error {number}"


class QuorrinError(Exception):
    """A library call that did not return DDI_OK.

    `code` is the result code; `name` and `meaning` are its name and one-line meaning
    from quorrin.h. `controller_error` is the controller's own code of a negative
    confirmation, `network_error` the library's last network error after a network
    failure or timeout, and `dropped` tells that the library dropped the node.
    """

    def __init__(
        self,
        code: int,
        call: str,
        node: Optional[str] = None,
        *,
        network_error: Optional[int] = None,
        dropped: bool = False,
        detail: Optional[str] = None,
    ) -> None:
        self.code = code
        self.call = call
        self.node = node
        self.name, self.meaning, self.controller_error = describe(code)
        self.network_error = network_error
        self.dropped = dropped
        self.detail = detail
        super().__init__(self._text())

    def _text(self) -> str:
        where = f"{self.call} on {self.node}" if self.node else self.call
        text = f"{where} failed: 0x{self.code:08X} {self.name} ({self.meaning})"
        if self.network_error is not None and 10000 <= self.network_error < 12000:
            text += ", " + describe_network_error(self.network_error)
        if self.detail:
            text += "; " + self.detail
        if self.dropped:
            text += "; the library dropped the node"
        return text


class MessageTooLongError(QuorrinError):
    """DDI_MXI_RcvMessage's ERR_BUFFER_SIZE: the message was longer than the buffer asked for.

    `start` holds the message's first bytes (as many as the buffer took) with its tags,
    `length` the message's full size. The message is gone from the controller's queue.
    """

    def __init__(self, call: str, node: str, start: Message, length: int) -> None:
        self.start = start
        self.length = length
        super().__init__(
            Result.ERR_BUFFER_SIZE,
            call,
            node,
            detail=f"the message has {length} bytes, the buffer took {len(start.data)}",
        )

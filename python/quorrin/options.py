"""The library-wide client options: timeouts and client name, for every node of the process."""

from __future__ import annotations

import ctypes
from typing import Optional, TypedDict, Union

from .errors import QuorrinError, Result
from .library import library
from .records import MAX_CLIENT_NAME

# Option numbers of quorrin.h.
RECEIVE_TIMEOUT = 1
CONNECT_TIMEOUT = 2
CLIENT_NAME = 3
EXCHANGE_TIMEOUT = 4

_TIMEOUTS = {
    "receive_timeout": RECEIVE_TIMEOUT,
    "connect_timeout": CONNECT_TIMEOUT,
    "exchange_timeout": EXCHANGE_TIMEOUT,
}


class ClientOptions(TypedDict):
    """What get_client_options() returns; the timeouts in whole seconds."""

    receive_timeout: int
    connect_timeout: int
    exchange_timeout: int
    client_name: str


def set_client_options(
    *,
    receive_timeout: Optional[int] = None,
    connect_timeout: Optional[int] = None,
    exchange_timeout: Optional[int] = None,
    client_name: Optional[str] = None,
) -> None:
    """Sets the options given (ETH_SetClientOptions) and leaves the others as they are.

    receive_timeout: seconds to wait for each piece of a confirmation (initially 3).
    connect_timeout: seconds to wait for a connection (initially 3).
    exchange_timeout: seconds one exchange may take in all; 0 (initially) means four
        times the wait for each piece.
    client_name: at most 127 bytes as UTF-8 (initially "quorrina"); the library keeps it
        and sends it nowhere.

    The values are checked before any is set; a refusal by the library raises QuorrinError.
    """
    given: list[tuple[str, int, Union[ctypes.c_int32, ctypes.Array[ctypes.c_char]], int]] = []
    for name, value in (
        ("receive_timeout", receive_timeout),
        ("connect_timeout", connect_timeout),
        ("exchange_timeout", exchange_timeout),
    ):
        if value is None:
            continue
        # ctypes would cut a larger number to 32 bits and set another timeout than asked.
        if not isinstance(value, int) or not 0 <= value <= 0x7FFFFFFF:
            raise ValueError(f"{name} {value!r} is not a whole number of seconds in 0..2147483647")
        given.append((name, _TIMEOUTS[name], ctypes.c_int32(value), ctypes.sizeof(ctypes.c_int32)))
    if client_name is not None:
        encoded = client_name.encode("utf-8", "surrogateescape")
        if b"\0" in encoded:
            raise ValueError(f"client name {client_name!r} holds a zero byte")
        # The size counts the terminating zero; the library refuses one over its buffer.
        given.append(("client_name", CLIENT_NAME, ctypes.create_string_buffer(encoded), len(encoded) + 1))
    lib = library()
    for name, option, value, size in given:
        result = lib.ETH_SetClientOptions(option, ctypes.byref(value), size)
        if result:
            raise QuorrinError(result, f"ETH_SetClientOptions({name})")


def get_client_options() -> ClientOptions:
    """The four client options (ETH_GetClientOptions)."""
    lib = library()
    timeouts = {}
    for name, option in _TIMEOUTS.items():
        value = ctypes.c_int32()
        size = ctypes.c_int32(ctypes.sizeof(value))
        result = lib.ETH_GetClientOptions(option, ctypes.byref(value), ctypes.byref(size))
        if result:
            raise QuorrinError(result, f"ETH_GetClientOptions({name})")
        timeouts[name] = value.value
    buffer = ctypes.create_string_buffer(MAX_CLIENT_NAME)
    size = ctypes.c_int32(MAX_CLIENT_NAME)
    result = lib.ETH_GetClientOptions(CLIENT_NAME, buffer, ctypes.byref(size))
    if result:
        raise QuorrinError(result, "ETH_GetClientOptions(client_name)")
    return ClientOptions(
        receive_timeout=timeouts["receive_timeout"],
        connect_timeout=timeouts["connect_timeout"],
        exchange_timeout=timeouts["exchange_timeout"],
        client_name=buffer.raw[: size.value].decode("utf-8", "surrogateescape"),
    )

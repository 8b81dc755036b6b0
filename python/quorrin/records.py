"""The caller records of quorrin.h as ctypes structures, and the limits they obey.

The library reads these records byte for byte, so their layout is checked
against the sizes and offsets the header asserts when this module is imported.
"""

from __future__ import annotations

import ctypes
from dataclasses import dataclass
from typing import Mapping

# Limits from quorrin.h.
MAX_WRITE_DATA = 1036
MAX_READWRITE_DATA = 1030
MAX_READ_DATA = 2028
MAX_SEND_MESSAGE = 1036
MAX_RECEIVE_MESSAGE = 2024
MAX_CLIENT_NAME = 128


class PdRecord(ctypes.Structure):
    """DDI_PD_RECORD: `length` bytes at byte `address` of the node's process image."""

    _pack_ = 1
    _fields_ = [
        ("length", ctypes.c_uint16),
        ("address", ctypes.c_uint16),
        ("attribute", ctypes.c_uint16),
        ("data", ctypes.c_void_p),
    ]


class MsgRecord(ctypes.Structure):
    """DDI_MSG_RECORD: on receive `length` is the buffer size in, the bytes received out."""

    _pack_ = 1
    _fields_ = [
        ("tag1", ctypes.c_uint16),
        ("length", ctypes.c_uint16),
        ("tag2", ctypes.c_uint16),
        ("data", ctypes.c_void_p),
    ]


class NotifyRecord(ctypes.Structure):
    """DDI_NOTIFY_RECORD: `waitTime` in milliseconds, -1 = no limit."""

    _pack_ = 1
    _fields_ = [
        ("notify1", ctypes.c_uint32),
        ("notify2", ctypes.c_uint32),
        ("waitTime", ctypes.c_int32),
    ]


class DiagRecord(ctypes.Structure):
    """DDI_DIAG_RECORD: the controller's diagnosis registers."""

    _pack_ = 1
    _fields_ = [
        ("statusRegister", ctypes.c_uint16),
        ("parameterRegister", ctypes.c_uint16),
    ]


@dataclass(frozen=True)
class Message:
    """A mailbox message: its bytes and the two tags the controller passes on unchanged."""

    data: bytes
    tag1: int = 0
    tag2: int = 0


_POINTER = ctypes.sizeof(ctypes.c_void_p)

# The header's name, size and field offsets of each record, as its static asserts state them.
HEADER_LAYOUT: Mapping[type[ctypes.Structure], tuple[str, int, Mapping[str, int]]] = {
    PdRecord: ("DDI_PD_RECORD", 6 + _POINTER, {"address": 2, "attribute": 4, "data": 6}),
    MsgRecord: ("DDI_MSG_RECORD", 6 + _POINTER, {"length": 2, "tag2": 4, "data": 6}),
    NotifyRecord: ("DDI_NOTIFY_RECORD", 12, {"notify2": 4, "waitTime": 8}),
    DiagRecord: ("DDI_DIAG_RECORD", 4, {"parameterRegister": 2}),
}


def check_layout(layout: Mapping[type[ctypes.Structure], tuple[str, int, Mapping[str, int]]]) -> None:
    """Raises ImportError naming the first record whose size or offsets differ from `layout`."""
    for record, (name, size, offsets) in layout.items():
        if ctypes.sizeof(record) != size:
            raise ImportError(f"{record.__name__} is {ctypes.sizeof(record)} bytes, {name} in quorrin.h {size}")
        for field, offset in offsets.items():
            actual = getattr(record, field).offset
            if actual != offset:
                raise ImportError(f"{record.__name__}.{field} lies at byte {actual}, in {name} of quorrin.h at {offset}")


check_layout(HEADER_LAYOUT)

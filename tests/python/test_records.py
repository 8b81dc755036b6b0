"""The ctypes records and limits against quorrin.h."""

from __future__ import annotations

import ctypes

import pytest
import quorrin_header

from quorrin import records


def test_every_record_has_the_size_and_offsets_the_header_asserts():
    header = quorrin_header.layouts()
    for record, (name, size, offsets) in records.HEADER_LAYOUT.items():
        assert header[name] == (size, dict(offsets)), name
        assert ctypes.sizeof(record) == size, name
        for field, offset in offsets.items():
            assert getattr(record, field).offset == offset, f"{name}.{field}"


def test_record_fields_follow_each_other_without_gaps():
    for record in records.HEADER_LAYOUT:
        end = 0
        for field, kind in record._fields_:
            assert getattr(record, field).offset == end, f"{record.__name__}.{field}"
            end += ctypes.sizeof(kind)
        assert end == ctypes.sizeof(record)


def test_layout_check_names_the_record_that_differs():
    class Unpacked(ctypes.Structure):
        _fields_ = [("length", ctypes.c_uint16), ("data", ctypes.c_void_p)]

    with pytest.raises(ImportError, match="Unpacked is 16 bytes, DDI_X in quorrin.h 10"):
        records.check_layout({Unpacked: ("DDI_X", 10, {})})
    with pytest.raises(ImportError, match=r"Unpacked.data lies at byte 8, in DDI_X of quorrin.h at 2"):
        records.check_layout({Unpacked: ("DDI_X", 16, {"data": 2})})


def test_limits_are_those_of_the_header():
    header = quorrin_header.limits()
    for name in ("MAX_WRITE_DATA", "MAX_READWRITE_DATA", "MAX_READ_DATA", "MAX_SEND_MESSAGE",
                 "MAX_RECEIVE_MESSAGE", "MAX_CLIENT_NAME"):
        assert getattr(records, name) == header[name], name

"""What quorrin.h states, read from its text: result codes with their meanings, limits,
and the sizes and offsets its static asserts fix for the caller records."""

from __future__ import annotations

import ctypes
import re
from pathlib import Path

from conftest import HEADER


def text() -> str:
    return Path(HEADER).read_text()


def results() -> dict[str, tuple[int, str]]:
    """Each result code's name, value and one-line meaning."""
    found = re.findall(r"^#define ((?:DDI|ERR)_\w+)\s+(0x[0-9A-Fa-f]+)u\s+/\* (.*?) \*/$", text(), re.MULTILINE)
    return {name: (int(value, 16), meaning) for name, value, meaning in found}


def limits() -> dict[str, int]:
    found = re.findall(r"^#define QUORRIN_(MAX_\w+)\s+(\d+)\b", text(), re.MULTILINE)
    return {name: int(value) for name, value in found}


def _evaluate(expression: str) -> int:
    expression = expression.replace("sizeof(void *)", str(ctypes.sizeof(ctypes.c_void_p)))
    if not re.fullmatch(r"[\d\s+*()]+", expression):
        raise ValueError(f"cannot evaluate {expression!r}")
    return int(eval(expression))


def layouts() -> dict[str, tuple[int, dict[str, int]]]:
    """Per record of the static asserts: its size and the offsets of the fields asserted."""
    records: dict[str, tuple[int, dict[str, int]]] = {}
    for record, expression in re.findall(r"QUORRIN_STATIC_ASSERT\(sizeof\((\w+)\) == ([^,]+),", text()):
        records[record] = (_evaluate(expression), {})
    for record, field, expression in re.findall(
        r"QUORRIN_STATIC_ASSERT\(offsetof\((\w+), (\w+)\) == ([^,]+),", text()
    ):
        records[record][1][field] = _evaluate(expression)
    return records

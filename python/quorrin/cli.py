"""``python3 -m quorrin``: a quick look at a node's process data from the shell."""

from __future__ import annotations

import argparse
import sys
from typing import Optional, Sequence

from .errors import QuorrinError
from .library import LibraryNotFoundError
from .node import Node


def _number(text: str) -> int:
    try:
        return int(text, 0)
    except ValueError:
        raise argparse.ArgumentTypeError(f"{text!r} is no number (decimal, or hexadecimal with 0x)") from None


def hex_lines(address: int, data: bytes) -> list[str]:
    """`data` as lines of 16 bytes in hexadecimal, each led by the image address of its first byte."""
    return [f"{address + start:04X}: {data[start:start + 16].hex(' ').upper()}" for start in range(0, len(data), 16)]


def main(arguments: Optional[Sequence[str]] = None) -> int:
    parser = argparse.ArgumentParser(
        prog="python3 -m quorrin",
        description="Reads a node's input image through libquorrin and prints it in hexadecimal.",
    )
    commands = parser.add_subparsers(dest="command", required=True)
    read = commands.add_parser("read", help="read LENGTH bytes of the input image from byte ADDRESS")
    read.add_argument("node", metavar="NODE", help="node name, e.g. KNETHIP[127.0.0.10]N1_D")
    read.add_argument("address", metavar="ADDRESS", type=_number)
    read.add_argument("length", metavar="LENGTH", type=_number)
    options = parser.parse_args(arguments)

    try:
        with Node(options.node) as node:
            data = node.read(options.address, options.length)
    except (QuorrinError, LibraryNotFoundError, ValueError) as error:
        print(f"quorrin: {error}", file=sys.stderr)
        return 1
    for line in hex_lines(options.address, data):
        print(line)
    return 0

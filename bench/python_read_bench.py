"""A 2-byte read through the Python module next to the same read in C, in one run.

One korvo-sim on a free loopback address, one node opened with quorrin.Node; in
interleaved rounds the same node reads 2 bytes through Node.read, through a bare
ctypes call of DDI_DTI_ReadData, and in a C loop (python_read_loop.c). Prints the
medians of the rounds' means, and of each round's ratio and difference to C.
"""

from __future__ import annotations

import argparse
import ctypes
import random
import statistics
import subprocess
import sys
import time
from typing import Callable

import quorrin
from quorrin.library import library
from quorrin.records import PdRecord

GOAL = 1.3


def start_simulator(program: str) -> tuple[subprocess.Popen, str]:
    # korvo-sim's port is fixed, so a loopback address of its own avoids other runs and tests.
    for _ in range(20):
        address = f"127.16.{random.randint(1, 254)}.{random.randint(1, 254)}"
        process = subprocess.Popen([program, "--listen", address], stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT, text=True)
        first = process.stdout.readline()
        if "listening on" in first:
            # Its log is not wanted: without a reader the simulator goes on serving without one.
            process.stdout.close()
            return process, address
        process.wait()
        if "in use" not in first:
            sys.exit(f"python_read_bench: korvo-sim did not start: {first}")
    sys.exit("python_read_bench: korvo-sim found no free loopback address")


def main() -> int:
    parser = argparse.ArgumentParser(prog="python_read_bench", description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=31)
    parser.add_argument("--operations", type=int, default=2000)
    parser.add_argument("--simulator", required=True, help="the korvo-sim program")
    parser.add_argument("--loop", required=True, help="the C loop's shared object")
    options = parser.parse_args()

    simulator, address = start_simulator(options.simulator)
    try:
        with quorrin.Node(f"KNETHIP[{address}|1,1]N1_D") as node:
            handle = node.handle
            loop = ctypes.CDLL(options.loop).quorrin_read_loop
            loop.argtypes = [ctypes.c_uint32, ctypes.c_uint32]
            loop.restype = ctypes.c_int64
            read_data = library().DDI_DTI_ReadData
            buffer = (ctypes.c_ubyte * 2)()
            record = PdRecord(2, 0, 2, ctypes.addressof(buffer))
            reference = ctypes.byref(record)
            operations = options.operations

            def in_c() -> int:
                elapsed = loop(handle, operations)
                if elapsed < 0:
                    raise RuntimeError("the C loop's read failed")
                return elapsed

            def bare_ctypes() -> int:
                start = time.perf_counter_ns()
                for _ in range(operations):
                    if read_data(handle, reference) != 0:
                        raise RuntimeError("the ctypes read failed")
                return time.perf_counter_ns() - start

            def node_read() -> int:
                read = node.read
                start = time.perf_counter_ns()
                for _ in range(operations):
                    read(0, 2)
                return time.perf_counter_ns() - start

            cases: list[tuple[str, Callable[[], int]]] = [
                ("C DDI_DTI_ReadData", in_c),
                ("Python ctypes call", bare_ctypes),
                ("Python Node.read(0, 2)", node_read),
            ]
            for _, run in cases:
                run()
            means: dict[str, list[float]] = {name: [] for name, _ in cases}
            # Rounds interleave the cases, each round in another order, so a busy moment
            # of the machine hits them all alike.
            for round_number in range(options.rounds):
                shift = round_number % len(cases)
                for name, run in cases[shift:] + cases[:shift]:
                    means[name].append(run() / operations / 1000)
    finally:
        simulator.terminate()
        simulator.wait()

    # A ratio and a difference compare the cases of one round, measured moments apart.
    in_c = means["C DDI_DTI_ReadData"]
    print(f"2-byte read against korvo-sim on {address}: {options.rounds} rounds of {operations} reads;"
          " medians of the rounds' means, ratios and differences to C")
    for name, values in means.items():
        ratio = statistics.median(value / c for value, c in zip(values, in_c))
        added = statistics.median(value - c for value, c in zip(values, in_c))
        print(f"  {name:<26} {statistics.median(values):7.2f} us  {ratio:5.2f} x C  {added:+6.2f} us")
    ratio = statistics.median(value / c for value, c in zip(means["Python Node.read(0, 2)"], in_c))
    print(f"  Node.read / C {ratio:.2f} x (goal: at most {GOAL} x)")
    return 0


if __name__ == "__main__":
    sys.exit(main())

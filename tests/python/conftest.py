"""Fixtures of the Python module's tests: the module from the source tree, the built
library ($QUORRIN_LIBRARY) and korvo-sim ($KORVO_SIM) on a loopback address of its own."""

from __future__ import annotations

import os
import random
import re
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path
from typing import Iterator

import pytest

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "python"))

import quorrin  # noqa: E402  (the source tree's module, not an installed one)

HEADER = ROOT / "library" / "include" / "quorrin.h"
DEMO_PROJECT = ROOT / "data" / "demo" / "demo.prj"
CATALOGUE = ROOT / "data" / "korvo_config.ini"


def random_loopback() -> str:
    """A loopback address of the test's own: korvo-sim's port 1962 is fixed, and other
    test programs on this machine take addresses of 127.13.x.y."""
    return f"127.14.{random.randint(1, 254)}.{random.randint(1, 254)}"


def simulator_program() -> str:
    program = os.environ.get("KORVO_SIM")
    if not program:
        pytest.skip("KORVO_SIM is not set to the korvo-sim program (ctest sets it)")
    return program


class Coupler:
    """A korvo-sim process serving one loopback address, with its log read as it comes."""

    def __init__(self, *options: str) -> None:
        program = simulator_program()
        for _ in range(20):
            self.address = random_loopback()
            self.process = subprocess.Popen(
                [program, "--listen", self.address, *options],
                stdout=subprocess.PIPE,
                stderr=subprocess.STDOUT,
                text=True,
            )
            assert self.process.stdout is not None
            # It says when it listens: reading up to that line is the readiness wait.
            self.lines: list[str] = []
            for line in self.process.stdout:
                self.lines.append(line.rstrip("\n"))
                if "listening on" in line:
                    break
            else:
                self.process.wait()
                if not any("in use" in line for line in self.lines):
                    raise RuntimeError("korvo-sim did not start: " + "\n".join(self.lines))
                continue
            break
        else:
            raise RuntimeError("korvo-sim found no free loopback address in 20 tries")
        self._changed = threading.Condition()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self) -> None:
        assert self.process.stdout is not None
        for line in self.process.stdout:
            with self._changed:
                self.lines.append(line.rstrip("\n"))
                self._changed.notify_all()

    def node(self, suffix: str) -> str:
        return f"KNETHIP[{self.address}]{suffix}"

    def wait_for_line(self, pattern: str, timeout: float = 10) -> str:
        """The first log line matching `pattern`, waiting up to `timeout` seconds for it."""
        found = re.compile(pattern)
        deadline = time.monotonic() + timeout
        with self._changed:
            while True:
                for line in self.lines:
                    if found.search(line):
                        return line
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError(f"korvo-sim logged no line matching {pattern!r}:\n" + "\n".join(self.lines))
                self._changed.wait(left)

    def count(self, pattern: str) -> int:
        found = re.compile(pattern)
        with self._changed:
            return sum(1 for line in self.lines if found.search(line))

    def wait_for_count(self, pattern: str, count: int, timeout: float = 10) -> None:
        """Waits until `count` log lines match `pattern`."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while self.count(pattern) < count:
                left = deadline - time.monotonic()
                if left <= 0:
                    raise AssertionError(f"korvo-sim logged fewer than {count} lines matching {pattern!r}:\n"
                                         + "\n".join(self.lines))
                self._changed.wait(left)

    def count_after_closes(self, pattern: str, closes: int = 1) -> int:
        """The number of log lines matching `pattern`, counted once `closes` node closes
        are logged: the simulator logs a connection's requests in their order, so
        everything sent before a close is in the log by then."""
        self.wait_for_count(" close 0102h ", closes)
        return self.count(pattern)

    def pause(self) -> None:
        """Stops the process and returns once each of its threads has stopped: the
        signal alone reaches busy threads only some time later."""
        self.process.send_signal(signal.SIGSTOP)
        tasks = Path(f"/proc/{self.process.pid}/task")
        deadline = time.monotonic() + 10
        while not all(self._stopped(task) for task in tasks.iterdir()):
            if time.monotonic() > deadline:
                raise RuntimeError("korvo-sim did not stop within 10 s")
            time.sleep(0.001)

    @staticmethod
    def _stopped(task: Path) -> bool:
        try:
            # The state follows the parenthesised command name, which may hold blanks.
            return (task / "stat").read_text().rsplit(")", 1)[1].split()[0] == "T"
        except FileNotFoundError:
            return True

    def resume(self) -> None:
        self.process.send_signal(signal.SIGCONT)

    def stop(self) -> None:
        self.resume()
        self.process.terminate()
        self.process.wait(timeout=10)
        self._reader.join(timeout=10)


@pytest.fixture
def start_coupler() -> Iterator:
    """Starts korvo-sim with the options given; every one started is stopped afterwards."""
    started: list[Coupler] = []

    def start(*options: str) -> Coupler:
        coupler = Coupler(*options)
        started.append(coupler)
        return coupler

    yield start
    for coupler in started:
        coupler.stop()


@pytest.fixture
def coupler(start_coupler, library) -> Coupler:
    """korvo-sim with station 1 of the demo project: DI 16 inputs at bytes 0..1 with a
    walking bit, a DO 16 at output bytes 0..1, and the mailbox commands of its firmware."""
    coupler = start_coupler("--project", str(DEMO_PROJECT), "--catalogue", str(CATALOGUE), "--restart-seconds", "1")
    # The station's first cycle sets the inputs and then logs the outputs; it may come after the listening line.
    coupler.wait_for_line("outputs of bus module")
    return coupler


@pytest.fixture
def free_address() -> str:
    """A loopback address where nothing listens on port 1962."""
    return random_loopback()


@pytest.fixture
def library() -> Iterator[quorrin.ClientOptions]:
    """The built library; yields the library-wide client options as they were and
    restores them afterwards, as every node of the process shares them."""
    if not os.environ.get("QUORRIN_LIBRARY"):
        pytest.skip("QUORRIN_LIBRARY is not set to the built libquorrin (ctest sets it)")
    before = quorrin.get_client_options()
    yield before
    quorrin.set_client_options(**before)

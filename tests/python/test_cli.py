"""python3 -m quorrin read NODE ADDRESS LENGTH"""

from __future__ import annotations

import os
import subprocess
import sys

from conftest import ROOT


def quorrin(*arguments: str) -> subprocess.CompletedProcess:
    return subprocess.run([sys.executable, "-m", "quorrin", *arguments], capture_output=True, text=True,
                          timeout=60, env={**os.environ, "PYTHONPATH": str(ROOT / "python")})


def test_read_prints_the_bytes_in_lines_of_sixteen_from_their_address(coupler):
    run = quorrin("read", coupler.node("N1_D"), "0x1e", "18")
    assert run.returncode == 0, run.stderr
    first, second = run.stdout.splitlines()
    assert first.startswith("001E: ") and len(first.split()) == 17
    assert second.startswith("002E: ") and len(second.split()) == 3
    coupler.wait_for_line(r" read 0104h ")


def test_failed_read_says_why_and_exits_1(library, free_address):
    run = quorrin("read", f"KNETHIP[{free_address}]N1_D", "0", "2")
    assert run.returncode == 1
    assert run.stdout == ""
    assert run.stderr.startswith(f"quorrin: DDI_DevOpenNode on KNETHIP[{free_address}]N1_D failed: 0xE0071000 ERR_NETWORK")
    assert "connection refused" in run.stderr


def test_controller_refusal_is_shown_with_its_code(coupler):
    run = quorrin("read", coupler.node("N1_D"), "510", "4")
    assert run.returncode == 1
    assert "ERR_DEVICE_BASE + 0x0014" in run.stderr


def test_bad_arguments_exit_2_before_any_call():
    for arguments in (("read", "KNETHIP[127.0.0.1]N1_D", "zero", "2"), ("read", "KNETHIP[127.0.0.1]N1_D"), ()):
        run = quorrin(*arguments)
        assert run.returncode == 2, arguments
        assert "usage: python3 -m quorrin" in run.stderr

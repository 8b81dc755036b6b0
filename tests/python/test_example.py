"""The README's example, run against korvo-sim as a user runs it."""

from __future__ import annotations

import os
import re
import subprocess
import sys

from conftest import ROOT

EXAMPLE = ROOT / "python" / "examples" / "simulated_coupler.py"


def test_readme_shows_the_example_script_as_it_is():
    blocks = re.findall(r"```python\n(.*?)```", (ROOT / "README.md").read_text(), re.DOTALL)
    assert EXAMPLE.read_text() in blocks


def test_example_reads_toggles_and_gets_the_module_list(coupler):
    run = subprocess.run([sys.executable, str(EXAMPLE), coupler.address], capture_output=True, text=True,
                         timeout=60, env={**os.environ, "PYTHONPATH": str(ROOT / "python")})
    assert run.returncode == 0, run.stderr
    inputs, answer = run.stdout.splitlines()
    assert re.fullmatch(r"inputs: (?:[0-9a-f]{2} ){3}[0-9a-f]{2}", inputs), inputs
    modules = re.search(r"with (\d+) module", coupler.wait_for_line("simulates station")).group(1)
    assert answer == f"answer 830b lists {modules} modules"
    coupler.wait_for_line("KORVO DO 16: 00 01$")
    # The first "00 00" is the station's start, the second the output switched off again.
    coupler.wait_for_count("KORVO DO 16: 00 00$", 2)

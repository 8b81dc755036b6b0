"""pip install ./python, offline, as the README says; and one version everywhere."""

from __future__ import annotations

import importlib.util
import os
import shutil
import subprocess
import sys

import pytest
from conftest import ROOT

import quorrin


def test_version_is_the_project_s():
    version = os.environ.get("KORVO_VERSION")
    if not version:
        pytest.skip("KORVO_VERSION is not set to the project's version (ctest sets it)")
    assert quorrin.__version__ == version


def test_pip_installs_the_module_offline_into_a_virtual_environment(coupler, tmp_path):
    for module in ("ensurepip", "setuptools", "wheel"):
        if importlib.util.find_spec(module) is None:
            pytest.skip(f"{sys.executable} lacks {module} (packages python3-venv, python3-setuptools, python3-wheel)")
    # A copy, as pip builds in the tree it is given.
    source = tmp_path / "python"
    shutil.copytree(ROOT / "python", source, ignore=shutil.ignore_patterns("__pycache__", "build", "*.egg-info"))
    environment = tmp_path / "environment"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(environment)], check=True, timeout=120)
    pip = subprocess.run([str(environment / "bin" / "pip"), "install", "--no-build-isolation", "--no-index",
                          "--disable-pip-version-check", str(source)], capture_output=True, text=True, timeout=300)
    assert pip.returncode == 0, pip.stdout + pip.stderr

    env = {key: value for key, value in os.environ.items() if key != "PYTHONPATH"}
    python = str(environment / "bin" / "python")
    where = subprocess.run([python, "-c", "import quorrin; print(quorrin.__file__)"], cwd=tmp_path, env=env,
                           capture_output=True, text=True, timeout=60)
    assert where.returncode == 0, where.stderr
    installed = environment / "lib"
    assert where.stdout.startswith(str(installed)), where.stdout
    assert list(installed.glob("python3*/site-packages/quorrin/py.typed"))
    read = subprocess.run([python, "-m", "quorrin", "read", coupler.node("N1_D"), "0", "2"], cwd=tmp_path,
                          env=env, capture_output=True, text=True, timeout=60)
    assert read.returncode == 0, read.stderr
    assert read.stdout.startswith("0000: ")

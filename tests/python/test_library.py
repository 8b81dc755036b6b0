"""Where the module finds libquorrin, and what it says when it finds none."""

from __future__ import annotations

import os
import shutil
import subprocess
import sys
from pathlib import Path

import pytest
from conftest import ROOT

from quorrin import library as loading


@pytest.fixture
def built() -> Path:
    path = os.environ.get("QUORRIN_LIBRARY")
    if not path:
        pytest.skip("QUORRIN_LIBRARY is not set to the built libquorrin (ctest sets it)")
    return Path(path)


def python(code: str, **environment: str) -> subprocess.CompletedProcess:
    env = {key: value for key, value in os.environ.items() if key not in ("QUORRIN_LIBRARY", "LD_LIBRARY_PATH")}
    env.update(environment)
    env["PYTHONPATH"] = str(ROOT / "python")
    return subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, timeout=60)


# Which file the process mapped, whichever way the loader found it.
MAPPED = """
import quorrin.library
quorrin.library.library()
print(next(line.split()[-1] for line in open('/proc/self/maps') if 'libquorrin' in line))
"""


def test_library_set_by_environment_is_loaded(built):
    run = python(MAPPED, QUORRIN_LIBRARY=str(built))
    assert run.returncode == 0, run.stderr
    assert Path(run.stdout.strip()).resolve() == built.resolve()


def test_library_set_by_environment_but_missing_is_an_error_without_fallback(built, tmp_path):
    # Beside the package lies a library that would load: a path set by hand must not fall back to it.
    missing = tmp_path / "missing" / "libquorrin.so.0"
    beside = tmp_path / "package"
    beside.mkdir()
    shutil.copy(built, beside / "libquorrin.so.0")
    with pytest.raises(loading.LibraryNotFoundError) as error:
        loading.load({"QUORRIN_LIBRARY": str(missing)}, here=beside)
    text = str(error.value)
    assert f"QUORRIN_LIBRARY={missing}" in text and "No such file" in text
    assert "loader" not in text


def test_library_beside_the_package_is_found_first(built, tmp_path):
    shutil.copy(built, tmp_path / "libquorrin.so.0")
    library = loading.load({}, here=tmp_path)
    assert library._name == str(tmp_path / "libquorrin.so.0")


def test_loader_search_finds_the_library_on_its_path(built):
    run = python(MAPPED, LD_LIBRARY_PATH=str(built.parent))
    assert run.returncode == 0, run.stderr
    assert Path(run.stdout.strip()).resolve() == built.resolve()


def test_missing_library_is_one_error_naming_every_place_looked(tmp_path, monkeypatch):
    monkeypatch.setattr(loading, "SONAME", "libquorrin-absent.so.0")
    with pytest.raises(loading.LibraryNotFoundError) as error:
        loading.load({}, here=tmp_path)
    text = str(error.value)
    assert str(tmp_path / "libquorrin-absent.so.0") in text
    assert "the loader's search for libquorrin-absent.so.0" in text
    assert "QUORRIN_LIBRARY" in text and "libquorrin0" in text


def test_import_needs_no_library_and_the_first_call_says_it_is_missing(tmp_path):
    run = python("import quorrin\nquorrin.Node('KNETHIP[127.0.0.1]N1_D')", QUORRIN_LIBRARY=str(tmp_path / "none.so"))
    assert run.returncode == 1
    assert "LibraryNotFoundError: libquorrin not found" in run.stderr and str(tmp_path / "none.so") in run.stderr


def test_a_library_lacking_a_call_is_no_libquorrin(tmp_path):
    with pytest.raises(loading.LibraryNotFoundError, match="QUORRIN_LIBRARY=libc.so.6 is no libquorrin: it lacks"):
        loading.load({"QUORRIN_LIBRARY": "libc.so.6"}, here=tmp_path)

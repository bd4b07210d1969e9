import os
import subprocess

import pytest

HERE = os.path.dirname(os.path.abspath(__file__))
# ctest names the program it built; by hand, the build tree's.
CLI = os.environ.get("LUMBROOK_CLI") or os.path.join(HERE, "..", "..", "build", "bin", "lumbrook")


def run_cli(*args, env=None):
    return subprocess.run([CLI, *args], check=True, capture_output=True, text=True, env=env)


def connection(path):
    return "Provider=SQLite;Data Source=%s" % path


@pytest.fixture(scope="session")
def demo(tmp_path_factory):
    """The demo database's connection string."""
    path = tmp_path_factory.mktemp("db") / "demo.sqlite"
    run_cli("demo-db", str(path))
    return connection(path)


@pytest.fixture(scope="session")
def big_demo(tmp_path_factory):
    """A demo database whose job run 12 has enough spectra to cancel in the middle."""
    path = tmp_path_factory.mktemp("big") / "big.sqlite"
    run_cli("demo-db", "--spectra", "300", str(path))
    return connection(path)

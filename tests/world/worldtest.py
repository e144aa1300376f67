"""What the world tests share: the generated world (made or found in the
cache by the set-up script) and its scripts."""
import os
import subprocess
import sys

SOURCE = os.environ.get("ORV_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "../.."))
SCRIPTS = os.path.join(SOURCE, "scripts", "world")
sys.path.insert(0, SCRIPTS)


def world(*args):
    """The world folder (tiles/, data/) after the set-up script ran."""
    out = subprocess.run([os.path.join(SCRIPTS, "setup"), *args], check=True, capture_output=True, text=True)
    return out.stdout.strip().splitlines()[-1]


def data_dir():
    return os.path.join(world(), "data")


def work_dir(name):
    """A fresh folder in the test's working directory (the build tree)."""
    path = os.path.join(os.getcwd(), name)
    subprocess.run(["rm", "-rf", path], check=True)
    os.makedirs(path)
    return path

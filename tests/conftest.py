"""Fixtures: the module as the suite loads it; a new scene and cleared suite records per test."""
import os
import subprocess
import sys

import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core

STANDIN = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "standin")


@pytest.fixture(scope="session")
def rk():
    from Zentrik._api.__hybrid__ import rigkit0

    return rigkit0


@pytest.fixture(autouse=True)
def new_scene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()


@pytest.fixture
def errors():
    """The error reports the module made through the suite, in order."""
    return _core.CORE.traceKit.errors


@pytest.fixture
def twins():
    """Two characters' |g1|ctrl and |g2|ctrl sharing the name ctrl, and a ctrlSolo."""
    for group in ("g1", "g2"):
        cmds.group(empty=True, name=group)
        cmds.createNode("transform", name="ctrl", parent=group)
    cmds.createNode("transform", name="ctrlSolo")


@pytest.fixture
def sliding():
    """"n" sliding along x: translateX 0 at frame 1, 8 at frame 9; the current frame 1."""
    cmds.createNode("transform", name="n")
    cmds.setKeyframe("n.tx", time=(1,), value=0.0)
    cmds.setKeyframe("n.tx", time=(9,), value=8.0)
    cmds.currentTime(1)
    return "n"


class CommandLog(object):
    """The commands the scene ran since clear(), as (args, flags) by command name."""

    def clear(self):
        from maya import _scene

        _scene.clearCommandLog()

    def __call__(self, name):
        from maya import _scene

        return [(args, flags) for command, args, flags in _scene.commandLog() if command == name]


@pytest.fixture
def commandLog():
    return CommandLog()


@pytest.fixture(scope="session")
def python():
    """Runs a script with its arguments in a fresh interpreter over the stand-in, for what
    runs once per process (an import) or may hang; the finished process."""
    def run(script, *args):
        return subprocess.run([sys.executable, "-c", script] + list(args), capture_output=True,
                              env=dict(os.environ, PYTHONPATH=STANDIN), text=True, timeout=60)

    return run

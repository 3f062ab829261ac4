"""Fixtures: the module loaded as the suite loads it, a new scene per test, and
the suite's records (error reports, service calls) cleared per test."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core


@pytest.fixture(scope="session")
def rk():
    from Zentrik._api.__hybrid__ import rigkit0

    return rigkit0


@pytest.fixture(autouse=True)
def new_scene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()
    yield


@pytest.fixture
def errors():
    """The error reports the module made through the suite, in order."""
    return _core.CORE.traceKit.errors


@pytest.fixture
def twins():
    """Two characters' controls |g1|ctrl and |g2|ctrl sharing the short name
    ctrl, and a ctrlSolo no other node's name starts like."""
    for group in ("g1", "g2"):
        cmds.group(empty=True, name=group)
        cmds.createNode("transform", name="ctrl", parent=group)
    cmds.createNode("transform", name="ctrlSolo")


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

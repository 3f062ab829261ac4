"""Checks of the stand-ins themselves: a new scene and cleared suite records
for every test."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core


@pytest.fixture(autouse=True)
def new_scene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()
    yield


@pytest.fixture
def keyed_ctrl():
    """ctrl keyed on tx and ry at frames 1..10 (value = frame)."""
    cmds.createNode("transform", name="ctrl")
    for frame in range(1, 11):
        cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
        cmds.setKeyframe("ctrl.ry", time=(frame,), value=float(frame))
    return "ctrl"

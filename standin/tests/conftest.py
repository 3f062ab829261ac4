"""Checks of the stand-ins themselves: a new scene and cleared suite records
for every test, and the keyed scenes several files share."""
import pytest
from maya import cmds

from Zentrik._api.__hybrid__ import _core


@pytest.fixture(autouse=True)
def new_scene():
    cmds.file(new=True, force=True)
    _core.CORE.resetRecords()


@pytest.fixture
def keyed_ctrl():
    """ctrl keyed on tx and ry at frames 1..10 (value = frame)."""
    cmds.createNode("transform", name="ctrl")
    for frame in range(1, 11):
        cmds.setKeyframe("ctrl.tx", time=(frame,), value=float(frame))
        cmds.setKeyframe("ctrl.ry", time=(frame,), value=float(frame))
    return "ctrl"


@pytest.fixture
def curve():
    """ball.translateX keyed 0, 2 and 4 at frames 1, 5 and 9: its curve's name."""
    cmds.createNode("transform", name="ball")
    for frame, value in ((1, 0.0), (5, 2.0), (9, 4.0)):
        cmds.setKeyframe("ball.translateX", time=(frame,), value=value)
    return cmds.keyframe("ball.translateX", query=True, name=True)[0]

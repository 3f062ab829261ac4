"""The suite core's anim-curve wrapper, and the key flags of the Maya stand-in
that its key kinds rest on."""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma


def keyed_curve(plug, keys):
    """Key ``plug`` at each (frame, value) and return its curve's name."""
    for frame, value in keys:
        cmds.setKeyframe(plug, time=(frame,), value=value)
    return cmds.keyframe(plug, query=True, name=True)[0]


def curve_fn(name):
    selection = om.MSelectionList()
    selection.add(name)
    obj = om.MObject()
    selection.getDependNode(0, obj)
    return oma.MFnAnimCurve(obj)


@pytest.fixture
def curve():
    cmds.createNode("transform", name="ball")
    return keyed_curve("ball.translateX", [(1, 0.0), (5, 2.0), (9, 4.0)])


def test_breakdown_set_by_command_is_what_the_api_and_query_read(curve):
    assert cmds.keyframe(curve, edit=True, index=(1, 1), breakdown=True) == 1
    fn = curve_fn(curve)
    assert [fn.isBreakdown(i) for i in range(3)] == [False, True, False]
    assert cmds.keyframe("ball.translateX", query=True, breakdown=True) == [5.0]
    fn.setIsBreakdown(1, False)
    fn.setIsBreakdown(2, True)
    assert cmds.keyframe(curve, query=True, breakdown=True) == [9.0]


def test_key_flags_follow_their_key_through_edits(curve):
    cmds.keyframe(curve, edit=True, time=(9, 9), breakdown=True, tickDrawSpecial=True)
    cmds.keyframe(curve, edit=True, time=(9, 9), timeChange=3)
    cmds.setKeyframe("ball.translateX", time=(3,), value=7.0)
    cmds.setKeyframe("ball.translateX", time=(7,), value=1.0)
    assert cmds.keyframe(curve, query=True, timeChange=True) == [1.0, 3.0, 5.0, 7.0]
    assert cmds.keyframe(curve, query=True, breakdown=True) == [3.0]
    assert cmds.getAttr("ball.translateX", time=3) == 7.0


def test_breakdown_of_a_missing_key_raises(curve):
    fn = curve_fn(curve)
    with pytest.raises(RuntimeError):
        fn.isBreakdown(3)
    with pytest.raises(RuntimeError):
        fn.setIsBreakdown(-1, True)

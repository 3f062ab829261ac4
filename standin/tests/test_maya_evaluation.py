"""Anim curves made by setKeyframe and plugs read in a time context."""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma


def plug(name):
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MPlug()
    selection.getPlug(0, result)
    return result


def at(frame):
    return om.MDGContext(om.MTime(frame, om.MTime.uiUnit()))


@pytest.fixture
def ball():
    cmds.createNode("transform", name="ball")
    cmds.addAttr("ball", longName="mode", attributeType="enum", enumName="a:b:c", keyable=True)
    cmds.addAttr("ball", longName="delay", attributeType="time", keyable=True)
    return "ball"


@pytest.mark.parametrize("attribute, curve_type", [
    ("tx", "animCurveTL"), ("rotateY", "animCurveTA"), ("sz", "animCurveTU"),
    ("v", "animCurveTU"), ("mode", "animCurveTU"), ("delay", "animCurveTT"),
])
def test_the_first_key_makes_a_curve_of_the_attribute_type(ball, attribute, curve_type):
    assert cmds.setKeyframe(ball, attribute=attribute) == 1
    curves = cmds.listConnections("%s.%s" % (ball, attribute), source=True)
    assert [cmds.nodeType(c) for c in curves] == [curve_type]
    assert oma.MAnimUtil.isAnimated(plug("%s.%s" % (ball, attribute)))


@pytest.mark.parametrize("frame, expected", [
    (-5, 0.0), (1, 0.0), (6, 5.0), (11, 10.0), (16, 20.0), (21, 30.0), (99, 30.0),
])
def test_curves_are_exact_at_keys_linear_between_and_held_outside(ball, frame, expected):
    for time, value in ((1, 0), (11, 10), (21, 30)):
        cmds.setKeyframe("ball.tx", time=time, value=value)
    assert plug("ball.tx").asDouble(at(frame)) == pytest.approx(expected)
    assert cmds.getAttr("ball.tx", time=frame) == pytest.approx(expected)
    assert cmds.currentTime(query=True) == 1.0


def test_boolean_and_enum_curves_step(ball):
    cmds.setKeyframe("ball.v", time=1, value=0)
    cmds.setKeyframe("ball.v", time=10, value=1)
    cmds.setKeyframe("ball.mode", time=1, value=0)
    cmds.setKeyframe("ball.mode", time=10, value=2)
    assert plug("ball.v").asBool(at(9)) is False
    assert plug("ball.mode").asInt(at(9)) == 0
    assert plug("ball.mode").asInt(at(10)) == 2


def test_keys_are_stored_in_internal_units_and_queried_in_working_units(ball):
    cmds.currentUnit(linear="m")
    cmds.setKeyframe("ball.tx", time=5, value=2)
    cmds.setKeyframe("ball.ry", time=5, value=90)
    curve = oma.MFnAnimCurve(plug("ball.tx"))
    assert (curve.numKeys(), curve.value(0), curve.time(0).value()) == (1, 200.0, 5.0)
    assert oma.MFnAnimCurve(plug("ball.ry")).value(0) == pytest.approx(1.5707963)
    assert cmds.keyframe("ball.tx", query=True, valueChange=True) == [2.0]
    assert cmds.keyframe("ball.tx", query=True, timeChange=True) == [5.0]
    assert cmds.keyframe("ball.ty", query=True, timeChange=True) is None


def test_normal_context_reads_at_the_current_time(ball):
    cmds.setKeyframe("ball.tx", time=1, value=0)
    cmds.setKeyframe("ball.tx", time=11, value=10)
    cmds.currentTime(6)
    assert plug("ball.tx").asDouble() == 5.0
    assert plug("ball.tx").asDouble(om.MDGContext()) == 5.0
    assert oma.MAnimControl.currentTime().value() == 6


def test_set_attr_on_an_animated_plug_holds_until_the_time_changes(ball):
    cmds.setKeyframe("ball.tx", time=1, value=3)
    cmds.setAttr("ball.tx", 7)
    assert cmds.getAttr("ball.tx") == 7.0
    cmds.currentTime(2)
    assert cmds.getAttr("ball.tx") == 3.0


def test_time1_out_time_follows_the_time_unless_keyed():
    out = plug("time1.outTime")
    cmds.currentTime(30)
    assert out.asMTime().value() == 30
    assert out.asMTime(at(48)).value() == 48
    assert plug("time1.enableTimewarp").asBool() is False
    cmds.setKeyframe("time1.outTime", time=1, value=1)
    cmds.setKeyframe("time1.outTime", time=11, value=21)
    assert out.asMTime(at(6)).value() == pytest.approx(11.0)


def test_key_edits_call_the_curve_edited_callbacks(ball):
    seen = []
    ident = oma.MAnimMessage.addAnimCurveEditedCallback(
        lambda curves, data: seen.append((curves.length(), data)), "data")
    cmds.setKeyframe(ball, attribute=["tx", "ty"])
    om.MMessage.removeCallback(ident)
    cmds.setKeyframe(ball, attribute="tz")
    assert seen == [(2, "data")]


def test_a_world_matrix_read_in_a_context_follows_the_animation(ball):
    cmds.setKeyframe("ball.tx", time=1, value=0)
    cmds.setKeyframe("ball.tx", time=11, value=10)
    matrix_node = cmds.createNode("passMatrix", name="probe")
    cmds.setAttr(matrix_node + ".inScale", 1)
    cmds.connectAttr("ball.worldMatrix[0]", "probe.inMatrix", force=True)
    data = om.MFnMatrixData(plug("probe.inMatrix").asMObject(at(6)))
    assert data.matrix()(3, 0) == pytest.approx(5.0)

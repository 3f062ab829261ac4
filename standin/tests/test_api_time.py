"""Units and time: plugs and curves hold centimetres and radians, commands speak
the working units, and a context reads keys at a time other than the current one."""
import math

import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import plug


class Frame(om.MTime):
    """What rigkit0's FrameTime is: an MTime of a frame in the interface unit."""

    def __init__(self, frame):
        om.MTime.__init__(self, frame, om.MTime.uiUnit())


def at(frame):
    return om.MDGContext(Frame(frame))


@pytest.mark.parametrize("value, unit, cm", [
    (1.0, om.MDistance.kMeters, 100.0), (2.0, om.MDistance.kInches, 5.08),
    (5.0, om.MDistance.kMillimeters, 0.5)])
def test_distance_converts_through_centimetres_and_an_angle_defaults_to_radians(value, unit, cm):
    distance = om.MDistance(value, unit)
    assert (distance.asCentimeters(), distance.asUnits(unit)) == pytest.approx((cm, value))
    assert om.MDistance(cm).asMeters() == pytest.approx(cm / 100.0)
    assert om.MAngle(math.pi).asDegrees() == pytest.approx(180.0)
    assert om.MAngle(90.0, om.MAngle.kDegrees).asRadians() == pytest.approx(math.pi / 2)


# film and ntsc: FrameTime's tests in tests/test_time.py.
@pytest.mark.parametrize("name, unit, fps", [
    ("pal", om.MTime.kPALFrame, 25), ("show", om.MTime.kShowScan, 48)])
def test_frames_follow_the_interface_time_unit(name, unit, fps):
    cmds.currentUnit(time=name)
    assert (om.MTime.uiUnit(), cmds.currentUnit(query=True, time=True)) == (unit, name)
    second = Frame(fps)
    assert second.unit() == unit
    assert second.asUnits(om.MTime.kSeconds) == pytest.approx(1.0)
    assert om.MTime(2.0, om.MTime.kSeconds).asUnits(unit) == pytest.approx(2 * fps)


@pytest.mark.parametrize("linear, angle, tx_ui, rx_ui", [
    ("cm", "deg", 150.0, 90.0), ("m", "rad", 1.5, math.pi / 2), ("mm", "deg", 1500.0, 90.0)])
def test_commands_speak_working_units_while_plugs_speak_internal_ones(linear, angle, tx_ui, rx_ui):
    cmds.createNode("transform", name="ball")
    cmds.currentUnit(linear=linear, angle=angle)
    cmds.setAttr("ball.tx", tx_ui)
    cmds.setAttr("ball.rx", rx_ui)
    assert plug("ball.tx").asMDistance().asCentimeters() == pytest.approx(150.0)
    assert plug("ball.rx").asDouble() == pytest.approx(math.pi / 2)
    assert (cmds.getAttr("ball.tx"), cmds.getAttr("ball.rx")) == pytest.approx((tx_ui, rx_ui))


def test_keys_are_stored_in_internal_units_and_queried_in_working_units():
    cmds.createNode("transform", name="ball")
    cmds.currentUnit(linear="m")
    cmds.setKeyframe("ball.tx", time=5, value=2)
    cmds.setKeyframe("ball.ry", time=5, value=90)
    curve = oma.MFnAnimCurve(plug("ball.tx"))
    assert (curve.numKeys(), curve.value(0), curve.time(0).value()) == (1, 200.0, 5.0)
    assert oma.MFnAnimCurve(plug("ball.ry")).value(0) == pytest.approx(math.pi / 2)
    assert cmds.keyframe("ball.tx", query=True, valueChange=True) == [2.0]
    cmds.currentUnit(time="ntsc", angle="rad")
    assert cmds.keyframe("ball.tx", query=True, timeChange=True) == pytest.approx([6.25])
    cmds.setKeyframe("ball.rz", time=1, value=1.0)
    assert oma.MFnAnimCurve(plug("ball.rz")).value(0) == 1.0
    assert cmds.keyframe("ball.ry", query=True, vc=True) == pytest.approx([math.pi / 2])
    assert cmds.keyframe("ball.ty", query=True, timeChange=True) is None


@pytest.mark.parametrize("frame, expected", [
    (-5, 0.0), (1, 0.0), (11, 10.0), (16, 20.0), (21, 30.0), (99, 30.0)])
def test_a_context_reads_keys_at_its_own_time_not_the_current_one(frame, expected):
    cmds.createNode("transform", name="ball")
    for time, value in ((1, 0), (11, 10), (21, 30)):
        cmds.setKeyframe("ball.tx", time=time, value=value)
    cmds.currentTime(6)
    assert plug("ball.tx").asDouble(om.MDGContext(at(frame))) == pytest.approx(expected)
    assert cmds.getAttr("ball.tx", time=frame) == pytest.approx(expected)
    assert plug("ball.tx").asDouble() == plug("ball.tx").asDouble(om.MDGContext()) == 5.0
    assert cmds.currentTime(query=True) == 6.0
    # time1.outTime follows the context time too (keyed, it is a timewarp: tests/test_time.py).
    assert plug("time1.outTime").asMTime(at(frame)).value() == frame
    assert plug("time1.outTime").asMTime().value() == 6
    assert plug("time1.enableTimewarp").asBool() is False

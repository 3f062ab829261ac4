"""Units: internal centimetres, radians and times; the working units that
commands speak."""
import math

import pytest
from maya import cmds
import maya.OpenMaya as om


def plug(name):
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MPlug()
    selection.getPlug(0, result)
    return result


@pytest.mark.parametrize("value, unit, cm", [
    (1.0, om.MDistance.kMeters, 100.0),
    (2.0, om.MDistance.kInches, 5.08),
    (3.0, om.MDistance.kFeet, 91.44),
    (5.0, om.MDistance.kMillimeters, 0.5),
    (7.0, om.MDistance.kCentimeters, 7.0),
])
def test_distance_converts_through_centimetres(value, unit, cm):
    distance = om.MDistance(value, unit)
    assert distance.asCentimeters() == pytest.approx(cm)
    assert distance.asUnits(unit) == pytest.approx(value)
    assert om.MDistance(cm).asMeters() == pytest.approx(cm / 100.0)


def test_angle_defaults_to_radians():
    assert om.MAngle(math.pi).asDegrees() == pytest.approx(180.0)
    assert om.MAngle(90.0, om.MAngle.kDegrees).asRadians() == pytest.approx(math.pi / 2)
    assert om.MAngle(1.0, om.MAngle.kDegrees).asAngMinutes() == pytest.approx(60.0)


@pytest.mark.parametrize("name, unit, fps", [
    ("film", om.MTime.kFilm, 24), ("ntsc", om.MTime.kNTSCFrame, 30),
    ("pal", om.MTime.kPALFrame, 25), ("game", om.MTime.kGames, 15),
    ("show", om.MTime.kShowScan, 48),
])
def test_time_units_and_the_interface_unit(name, unit, fps):
    cmds.currentUnit(time=name)
    assert om.MTime.uiUnit() == unit
    assert cmds.currentUnit(query=True, time=True) == name
    assert om.MTime(fps, unit).asUnits(om.MTime.kSeconds) == pytest.approx(1.0)


def test_time_arithmetic_keeps_the_left_unit():
    film = om.MTime(24, om.MTime.kFilm)
    ntsc = om.MTime(30, om.MTime.kNTSCFrame)
    assert film == ntsc and not film != ntsc and film <= ntsc
    total = film + ntsc
    assert (total.unit(), total.value()) == (om.MTime.kFilm, 48.0)
    assert (film + 1).value() == 25.0
    assert (ntsc - film).value() == 0.0
    assert (film * 2).value() == 48.0 and film / 2 < film
    film.setUnit(om.MTime.kNTSCFrame)
    assert film.value() == pytest.approx(30.0)


def test_a_subclass_of_mtime_is_an_mtime_everywhere():
    class Frame(om.MTime):
        def __init__(self, frame):
            om.MTime.__init__(self, frame, om.MTime.uiUnit())

    context = om.MDGContext(Frame(12))
    assert not context.isNormal()
    assert context.getTime().value() == 12
    assert Frame(12) == om.MTime(12)


@pytest.mark.parametrize("linear, angle, tx_ui, rx_ui", [
    ("cm", "deg", 150.0, 90.0), ("m", "rad", 1.5, math.pi / 2), ("mm", "deg", 1500.0, 90.0),
])
def test_commands_speak_working_units_while_plugs_speak_internal_ones(linear, angle, tx_ui, rx_ui):
    cmds.createNode("transform", name="ball")
    cmds.currentUnit(linear=linear, angle=angle)
    cmds.setAttr("ball.tx", tx_ui)
    cmds.setAttr("ball.rx", rx_ui)
    assert plug("ball.tx").asMDistance().asCentimeters() == pytest.approx(150.0)
    assert plug("ball.rx").asDouble() == pytest.approx(math.pi / 2)
    assert cmds.getAttr("ball.tx") == pytest.approx(tx_ui)
    plug("ball.ty").setMDistance(om.MDistance(2.0, om.MDistance.kMeters))
    assert cmds.getAttr("ball.ty") == pytest.approx(om.MDistance(200.0).asUnits(
        om.MDistance.uiUnit()))


def test_a_new_scene_restores_the_default_units_and_time():
    cmds.currentUnit(linear="m", angle="rad", time="ntsc")
    cmds.currentTime(40)
    cmds.file(new=True, force=True)
    assert [cmds.currentUnit(q=True, l=True), cmds.currentUnit(q=True, a=True),
            cmds.currentUnit(q=True, t=True)] == ["cm", "deg", "film"]
    assert cmds.currentUnit(q=True, l=True, fullName=True) == "centimeter"
    assert cmds.currentTime(q=True) == 1.0

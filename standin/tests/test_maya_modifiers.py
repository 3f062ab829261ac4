"""Modifiers queue changes until doIt and take them back on undoIt; locked and
connected plugs are not free to change."""
import pytest
from maya import cmds
import maya.OpenMaya as om


def lookup(name, kind=om.MObject):
    selection = om.MSelectionList()
    selection.add(name)
    result = kind()
    (selection.getPlug if kind is om.MPlug else selection.getDependNode)(0, result)
    return result


@pytest.mark.parametrize("queue, attribute, before, after", [
    (lambda m, p: m.newPlugValueDouble(p, 2.5), "tx", 0.0, 2.5),
    (lambda m, p: m.newPlugValueMDistance(p, om.MDistance(1, om.MDistance.kMeters)), "tx", 0.0, 100.0),
    (lambda m, p: m.newPlugValueMAngle(p, om.MAngle(90, om.MAngle.kDegrees)), "rx", 0.0, 90.0),
    (lambda m, p: m.newPlugValueInt(p, 3), "ro", 0, 3),
], ids=["double", "distance", "angle", "int"])
def test_plug_values_wait_for_do_it_and_undo_restores_them(queue, attribute, before, after):
    cmds.createNode("transform", name="ball")
    modifier = om.MDagModifier()
    queue(modifier, lookup("ball." + attribute, om.MPlug))
    assert cmds.getAttr("ball." + attribute) == before
    modifier.doIt()
    assert cmds.getAttr("ball." + attribute) == pytest.approx(after)
    modifier.undoIt()
    assert cmds.getAttr("ball." + attribute) == before


def test_rename_and_reparent_wait_for_do_it_and_undo_in_reverse_order():
    cmds.createNode("transform", name="ball")
    cmds.group(empty=True, name="grp")
    modifier = om.MDagModifier()
    modifier.renameNode(lookup("ball"), "sphere")
    modifier.reparentNode(lookup("ball"), lookup("grp"))
    assert cmds.ls("ball", long=True) == ["|ball"]
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|grp|sphere"]
    modifier.reparentNode(lookup("sphere"), om.MObject())
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|sphere"]
    modifier.undoIt()
    assert cmds.ls("ball", long=True) == ["|ball"]


def test_a_locked_plug_fails_on_do_it_not_when_queued():
    cmds.createNode("transform", name="ball")
    cmds.setAttr("ball.tx", lock=True)
    modifier = om.MDagModifier()
    modifier.newPlugValueDouble(lookup("ball.tx", om.MPlug), 1.0)
    with pytest.raises(RuntimeError):
        modifier.doIt()


@pytest.mark.parametrize("setup, target, expected", [
    ([], "ctrl.tx", om.MPlug.kFreeToChange),
    ([("lock", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("connect", "driver.tx", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("key", "ctrl.tx")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("lock", "ctrl.t")], "ctrl.tx", om.MPlug.kNotFreeToChange),
    ([("lock", "ctrl.tx")], "ctrl.t", om.MPlug.kChildrenNotFreeToChange),
    ([("connect", "driver.ty", "ctrl.ty")], "ctrl.t", om.MPlug.kChildrenNotFreeToChange),
    ([("connect", "driver.tx", "ctrl.tx")], "driver.tx", om.MPlug.kFreeToChange),
])
def test_is_free_to_change_for_locked_and_connected_plugs(setup, target, expected):
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="driver")
    for step in setup:
        if step[0] == "lock":
            cmds.setAttr(step[1], lock=True)
        elif step[0] == "connect":
            cmds.connectAttr(step[1], step[2])
        else:
            cmds.setKeyframe(step[1])
    assert lookup(target, om.MPlug).isFreeToChange() == expected

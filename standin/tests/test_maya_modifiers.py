"""Modifiers queue changes until doIt and take them back on undoIt."""
import pytest
from maya import cmds
import maya.OpenMaya as om


def obj(name):
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MObject()
    selection.getDependNode(0, result)
    return result


def plug(name):
    selection = om.MSelectionList()
    selection.add(name)
    result = om.MPlug()
    selection.getPlug(0, result)
    return result


@pytest.mark.parametrize("queue, attribute, before, after", [
    (lambda m, p: m.newPlugValueDouble(p, 2.5), "tx", 0.0, 2.5),
    (lambda m, p: m.newPlugValueMDistance(p, om.MDistance(1, om.MDistance.kMeters)), "tx", 0.0, 100.0),
    (lambda m, p: m.newPlugValueMAngle(p, om.MAngle(90, om.MAngle.kDegrees)), "rx", 0.0, 90.0),
    (lambda m, p: m.newPlugValueBool(p, False), "v", True, False),
    (lambda m, p: m.newPlugValueInt(p, 3), "ro", 0, 3),
])
def test_plug_values_wait_for_do_it_and_undo_restores_them(queue, attribute, before, after):
    cmds.createNode("transform", name="ball")
    modifier = om.MDagModifier()
    queue(modifier, plug("ball." + attribute))
    assert cmds.getAttr("ball." + attribute) == before
    modifier.doIt()
    assert cmds.getAttr("ball." + attribute) == pytest.approx(after)
    modifier.undoIt()
    assert cmds.getAttr("ball." + attribute) == before


def test_rename_and_reparent_undo_in_reverse_order():
    cmds.createNode("transform", name="ball")
    cmds.group(empty=True, name="grp")
    modifier = om.MDagModifier()
    modifier.renameNode(obj("ball"), "sphere")
    modifier.reparentNode(obj("ball"), obj("grp"))
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|grp|sphere"]
    modifier.reparentNode(obj("sphere"), om.MObject())
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|sphere"]
    modifier.undoIt()
    assert cmds.ls("ball", long=True) == ["|ball"]


def test_created_nodes_appear_on_do_it_and_deleted_ones_come_back_on_undo():
    modifier = om.MDGModifier()
    created = modifier.createNode("network")
    assert cmds.ls(type="network") == []
    modifier.doIt()
    assert cmds.ls(type="network") == [om.MFnDependencyNode(created).name()]
    cmds.createNode("transform", name="ball")
    cmds.connectAttr("ball.tx", "ball.ty")
    remover = om.MDagModifier()
    remover.deleteNode(obj("ball"))
    remover.doIt()
    assert not cmds.objExists("ball")
    remover.undoIt()
    assert cmds.listConnections("ball.ty", plugs=True) == ["ball.translateX"]


def test_a_locked_plug_fails_on_do_it():
    cmds.createNode("transform", name="ball")
    cmds.setAttr("ball.tx", lock=True)
    modifier = om.MDagModifier()
    modifier.newPlugValueDouble(plug("ball.tx"), 1.0)
    with pytest.raises(RuntimeError):
        modifier.doIt()

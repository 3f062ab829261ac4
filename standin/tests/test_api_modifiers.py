"""Modifiers queue changes until doIt and take them back on undoIt; locked plugs
and plugs driven by anything but an anim curve are not free to change."""
import pytest
from maya import cmds
import maya.OpenMaya as om
from scene_lookup import dependNode, plug

FREE, NOT_FREE = om.MPlug.kFreeToChange, om.MPlug.kNotFreeToChange
CHILDREN_NOT_FREE = om.MPlug.kChildrenNotFreeToChange


@pytest.mark.parametrize("queue, attribute, after", [
    (lambda m, p: m.newPlugValueDouble(p, 2.5), "tx", 2.5),
    (lambda m, p: m.newPlugValueMDistance(p, om.MDistance(1, om.MDistance.kMeters)), "tx", 100.0),
    (lambda m, p: m.newPlugValueMAngle(p, om.MAngle(90, om.MAngle.kDegrees)), "rx", 90.0),
    (lambda m, p: m.newPlugValueInt(p, 3), "ro", 3),
], ids=["double", "distance", "angle", "int"])
def test_plug_values_wait_for_do_it_and_undo_restores_them(queue, attribute, after):
    cmds.createNode("transform", name="ball")
    modifier = om.MDagModifier()
    queue(modifier, plug("ball." + attribute))
    assert cmds.getAttr("ball." + attribute) == 0
    modifier.doIt()
    assert cmds.getAttr("ball." + attribute) == pytest.approx(after)
    modifier.undoIt()
    assert cmds.getAttr("ball." + attribute) == 0


def test_rename_and_reparent_wait_for_do_it_and_undo_in_reverse_order():
    ball = dependNode(cmds.createNode("transform", name="ball"))
    modifier = om.MDagModifier()
    modifier.renameNode(ball, "sphere")
    modifier.reparentNode(ball, dependNode(cmds.group(empty=True, name="grp")))
    assert cmds.ls("ball", long=True) == ["|ball"]
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|grp|sphere"]
    modifier.reparentNode(ball, om.MObject())
    modifier.doIt()
    assert cmds.ls("sphere", long=True) == ["|sphere"]
    modifier.undoIt()
    assert cmds.ls("ball", long=True) == ["|ball"]


def test_undoing_a_reparent_that_renamed_on_a_clash_brings_the_name_back():
    for group in ("grpA", "grpB"):
        cmds.createNode("transform", name="ctrl", parent=cmds.group(empty=True, name=group))
    modifier = om.MDagModifier()
    modifier.reparentNode(dependNode("|grpA|ctrl"), dependNode("grpB"))
    modifier.doIt()
    assert cmds.ls("grpB", dag=True, long=True) == ["|grpB", "|grpB|ctrl", "|grpB|ctrl1"]
    modifier.undoIt()
    assert cmds.listRelatives("grpA", children=True, fullPath=True) == ["|grpA|ctrl"]
    assert cmds.listRelatives("grpB", children=True, fullPath=True) == ["|grpB|ctrl"]


# MDGModifier's plug-value methods take C++ numbers and strings: SWIG refuses a
# Python value of another type when the call is made, before anything is queued
# (Maya API reference, MDGModifier::newPlugValueDouble and its siblings).
@pytest.mark.parametrize("method, bad, good", [
    ("newPlugValueDouble", ["x", None, [1.0]], [2, 2.5, True]),
    ("newPlugValueFloat", ["x", None], [2, 2.5]),
    ("newPlugValueInt", ["x", 2.5, None], [2, True]),
    ("newPlugValueBool", ["x", None, 0.5], [True, 0]),
    ("newPlugValueString", [1, None], ["text"]),
])
def test_plug_values_of_the_wrong_type_are_refused_when_queued(method, bad, good):
    cmds.createNode("transform", name="ball")
    target = plug("ball.tx")
    modifier = om.MDagModifier()
    for value in bad:
        with pytest.raises(TypeError, match="in method 'MDGModifier_%s', argument 3" % method):
            getattr(modifier, method)(target, value)
    modifier.doIt()  # nothing was queued
    assert cmds.getAttr("ball.tx") == 0.0
    for value in good:
        assert getattr(modifier, method)(target, value) is None


@pytest.mark.parametrize("setup, target, expected", [
    ([], "ctrl.tx", FREE), (["lock ctrl.tx"], "ctrl.tx", NOT_FREE),
    (["connect driver.tx ctrl.tx"], "ctrl.tx", NOT_FREE), (["key ctrl.tx"], "ctrl.tx", FREE),
    (["key ctrl.tx"], "ctrl.t", FREE), (["connect driver.t ctrl.t"], "ctrl.tx", NOT_FREE),
    (["key driver.tx", "connect driver.tx ctrl.tx"], "ctrl.tx", NOT_FREE),
    (["lock ctrl.t"], "ctrl.tx", NOT_FREE), (["lock ctrl.tx"], "ctrl.t", CHILDREN_NOT_FREE),
    (["connect driver.ty ctrl.ty"], "ctrl.t", CHILDREN_NOT_FREE),
    (["connect driver.tx ctrl.tx"], "driver.tx", FREE),
])
def test_is_free_to_change_for_locked_and_connected_plugs(setup, target, expected):
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="driver")
    actions = dict(lock=lambda name: cmds.setAttr(name, lock=True), connect=cmds.connectAttr,
                   key=cmds.setKeyframe)
    for step in setup:
        action, *names = step.split()
        actions[action](*names)
    assert plug(target).isFreeToChange() == expected


def animate_ball():
    """ball.tx keyed 0 at frame 1 and 10 at frame 11, read at frame 6 (5.0)."""
    cmds.createNode("transform", name="ball")
    cmds.setKeyframe("ball.tx", time=1, value=0)
    cmds.setKeyframe("ball.tx", time=11, value=10)
    cmds.currentTime(6)


def write_with_modifier(target, value):
    modifier = om.MDGModifier()
    modifier.newPlugValueDouble(target, value)
    modifier.doIt()
    return modifier


WRITES = [
    pytest.param(lambda: cmds.setAttr("ball.tx", 42), id="setAttr"),
    pytest.param(lambda: plug("ball.tx").setDouble(42), id="MPlug.setDouble"),
    pytest.param(lambda: write_with_modifier(plug("ball.tx"), 42), id="MDGModifier"),
    pytest.param(lambda: om.MFnTransform(dependNode("ball")).setTranslation(
        om.MVector(42, 0, 0), om.MSpace.kTransform), id="MFnTransform.setTranslation"),
]


@pytest.mark.parametrize("write", WRITES)
def test_a_write_to_an_animated_plug_holds_until_the_time_changes(write):
    animate_ball()
    assert cmds.getAttr("ball.tx", settable=True) is True
    write()
    assert cmds.getAttr("ball.tx") == plug("ball.tx").asDouble() == 42.0
    assert cmds.getAttr("ball.tx", time=11) == 10.0
    assert cmds.keyframe("ball.tx", query=True, valueChange=True) == [0.0, 10.0]
    cmds.currentTime(7)
    assert cmds.getAttr("ball.tx") == pytest.approx(6.0)


def test_undoing_a_modifier_write_hands_the_animated_plug_back_to_its_curve():
    animate_ball()
    write_with_modifier(plug("ball.tx"), 42).undoIt()
    assert cmds.getAttr("ball.tx") == pytest.approx(5.0)


@pytest.mark.parametrize("hold", [
    lambda: cmds.setAttr("ball.tx", lock=True),
    lambda: cmds.connectAttr("driver.tx", "ball.tx", force=True),
    lambda: cmds.connectAttr("driver.t", "ball.t", force=True),
], ids=["locked", "curve replaced by a plain plug", "parent driven by a plain plug"])
def test_a_keyed_plug_held_by_a_lock_or_a_plain_connection_refuses_every_write(hold):
    animate_ball()
    cmds.createNode("transform", name="driver")
    hold()
    assert cmds.getAttr("ball.tx", settable=True) is False
    queued = om.MDGModifier()
    queued.newPlugValueDouble(plug("ball.tx"), 1.0)  # refused by doIt, not when queued
    for write in [write.values[0] for write in WRITES] + [queued.doIt]:
        with pytest.raises(RuntimeError, match="locked or connected"):
            write()

"""Node: attribute access by name, locks, outliner colour, rename, reparent."""
import pytest
from maya import cmds
from maya.OpenMaya import MDagModifier, MTime

from Zentrik._api.__hybrid__._core import CORE

TRANSFORM_CHANNELS = ("tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz")
MISSING = "Zentrik - Attribute does not exist %s %s None"


@pytest.fixture
def ctrl():
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent="grp")
    return "|grp|ctrl"


def test_get_and_set_by_name(rk, ctrl):
    node = rk.Node("ctrl")
    cmds.addAttr("ctrl", longName="weights", attributeType="double", multi=True)
    plug = node.getPlug("weights", 2)  # the element is made when needed
    assert plug.logicalIndex() == 2 and plug.name() == "ctrl.weights[2]"
    node.setAttr("translate", [1.0, 2.0, 3.0])
    assert node.getAttr("translate") == [1.0, 2.0, 3.0] and node.getAttr("ty") == 2.0
    cmds.setKeyframe("ctrl", attribute="tx", time=1, value=0)
    cmds.setKeyframe("ctrl", attribute="tx", time=5, value=4)
    assert node.getAttrAtTime("tx", MTime(5, MTime.uiUnit())) == pytest.approx(4)
    node.setAttrUndoable("ty", 3.0)
    assert cmds.getAttr("ctrl.ty") == 3.0
    CORE.lastModifier.undoIt()
    assert cmds.getAttr("ctrl.ty") == 2.0


@pytest.mark.parametrize("write, value, failed", [
    ("setAttr", 1, "attribute"), ("setAttrUndoable", 1.0, "isFreeToChange")])
def test_missing_attribute_is_reported_and_its_value_raises(rk, ctrl, errors, write, value,
                                                            failed):
    node = rk.Node("ctrl")
    assert node.getPlug("nope") is None
    assert getattr(node, write)("nope", value) is None  # reported, never raised
    assert errors == [MISSING % ("ctrl", "nope")] * 2 + [
        "Zentrik - Could not set attribute None %s 'NoneType' object has no attribute "
        "'%s' None None" % (value, failed)]
    with pytest.raises(AttributeError):
        node.getAttr("nope")


@pytest.mark.parametrize("method, name, locked", [
    ("lockAttr", "tx", True), ("unlockAttr", "tx", False),
    ("lockAttr", "nope", True), ("unlockAttr", "nope", True)])
def test_lock_and_unlock(rk, ctrl, errors, method, name, locked):
    cmds.setAttr("ctrl.tx", lock=method == "unlockAttr" or name == "nope")
    getattr(rk.Node("ctrl"), method)(name)
    assert cmds.getAttr("ctrl.tx", lock=True) is locked
    assert not cmds.getAttr("ctrl.ty", lock=True)
    assert errors == ([MISSING % ("ctrl", "nope")] if name == "nope" else [])


def test_unlock_transform_channels(rk, ctrl, errors):
    for channel in ("tx", "ry", "sz"):
        cmds.setAttr("ctrl." + channel, lock=True, keyable=False, channelBox=False)
    rk.Node("ctrl").unlockTransformChannels()
    for channel in TRANSFORM_CHANNELS:
        plug = "ctrl." + channel
        assert not cmds.getAttr(plug, lock=True) and cmds.getAttr(plug, keyable=True)
    cmds.createNode("network", name="net")  # no channel to unlock: each reported
    rk.Node("net").unlockTransformChannels()
    assert errors == [MISSING % ("net", channel) for channel in TRANSFORM_CHANNELS]


@pytest.mark.parametrize("locked, expected", [((), False), (("rx", "ry"), False),
                                              (("rx", "ry", "rz"), True)])
def test_rotation_locked(rk, ctrl, locked, expected):
    for channel in locked:
        cmds.setAttr("ctrl." + channel, lock=True)
    assert rk.Node("ctrl").isRotationLocked() is expected
    cmds.createNode("network", name="net")
    with pytest.raises(AttributeError):
        rk.Node("net").isRotationLocked()


@pytest.mark.parametrize("version, color, expected", [
    (2016, (255, 51, 0), (1.0, 0.2, 0.0)), (2016, (0.25, 0.5, 1.0), (0.25, 0.5, 1.0)),
    (2015, (255, 0, 0), None)])  # hosts before 2016 have no outliner colour
def test_outliner_colour_through_the_suite_from_host_version_2016_on(rk, ctrl, monkeypatch,
                                                                     version, color, expected):
    monkeypatch.setattr(rk, "mayaVersion", version)
    rk.Node("ctrl").setOutlinerColor(color)
    assert cmds.getAttr("ctrl.useOutlinerColor") is bool(expected)
    if expected:  # converted by the suite's colour service
        assert cmds.getAttr("ctrl.outlinerColor")[0] == pytest.approx(expected)


def test_rename_answers_the_new_short_name(rk, ctrl):
    node = rk.Node("|grp|ctrl")
    assert node.rename("arm") == "arm"
    assert cmds.objExists("|grp|arm") and node.nodeName == "|grp|ctrl"


@pytest.mark.parametrize("how", ["plain", "modifier", "undoable"])
def test_reparent_to_the_world_and_back(rk, ctrl, how):
    node = rk.Node("|grp|ctrl")
    modifier = MDagModifier()
    if how == "undoable":
        node.reparentUndoable(None)
        assert node.dagPath.fullPathName() == "|ctrl"
    else:
        node.reparent(None, *([modifier] if how == "modifier" else []))
    assert cmds.listRelatives("ctrl", parent=True) is None
    if how == "plain":
        node.reparent(rk.Node("grp"))
    else:
        (modifier if how == "modifier" else CORE.lastModifier).undoIt()
    assert cmds.listRelatives("ctrl", parent=True, fullPath=True) == ["|grp"]


@pytest.mark.parametrize("undoable, newParent", [
    (False, "grpTypo"), (True, "grpTypo"), (True, "grp"), (True, 5)])
def test_reparent_that_fails_moves_nothing(rk, ctrl, errors, undoable, newParent):
    cmds.setAttr("grp.translate", 1, 2, 3)
    node = rk.Node("|grp|ctrl")
    reparent = node.reparentUndoable if undoable else node.reparent
    if newParent == "grpTypo":  # a parent that was not found is reported
        reparent(rk.Node(newParent))
        [report] = errors
        assert report.startswith("Zentrik - Error handling object grpTypo - ")
    else:  # not a Node: raised from C code, without a traceback of its own
        with pytest.raises(AttributeError):
            reparent(newParent)
        assert CORE.modifierContexts[-1].applied is False
    assert cmds.ls("ctrl", long=True) == ["|grp|ctrl"]
    assert cmds.xform("ctrl", query=True, translation=True, worldSpace=True) == [1, 2, 3]

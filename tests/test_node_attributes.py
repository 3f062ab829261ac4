"""Node: attribute access by name, locks, outliner colour, rename, reparent."""
import pytest
from maya import cmds
from maya.OpenMaya import MTime

from Zentrik._api.__hybrid__._core import CORE


@pytest.fixture
def ctrl():
    cmds.group(empty=True, name="grp")
    cmds.createNode("transform", name="ctrl", parent="grp")
    return "|grp|ctrl"


class TestPlugs:
    def test_element_by_logical_index_is_made_when_needed(self, rk, ctrl):
        cmds.addAttr("ctrl", longName="weights", attributeType="double", multi=True)
        plug = rk.Node("ctrl").getPlug("weights", 2)
        assert plug.logicalIndex() == 2 and plug.name() == "ctrl.weights[2]"

    def test_get_and_set_by_name(self, rk, ctrl):
        node = rk.Node("ctrl")
        node.setAttr("translate", [1.0, 2.0, 3.0])
        assert node.getAttr("translate") == [1.0, 2.0, 3.0]
        assert node.getAttr("ty") == 2.0
        cmds.setKeyframe("ctrl", attribute="tx", time=1, value=0)
        cmds.setKeyframe("ctrl", attribute="tx", time=5, value=4)
        assert node.getAttrAtTime("tx", MTime(5, MTime.uiUnit())) == pytest.approx(4)

    def test_missing_attribute_is_reported_and_its_value_raises(self, rk, ctrl, errors):
        node = rk.Node("ctrl")
        assert node.getPlug("nope") is None
        assert errors == ["Zentrik - Attribute does not exist ctrl nope None"]
        node.setAttr("nope", 1)  # reported, never raised
        assert errors[1] == errors[0]
        with pytest.raises(AttributeError):
            node.getAttr("nope")

    def test_undoable_write(self, rk, ctrl):
        node = rk.Node("ctrl")
        node.setAttrUndoable("tx", 3.0)
        assert cmds.getAttr("ctrl.tx") == 3.0
        CORE.lastModifier.undoIt()
        assert cmds.getAttr("ctrl.tx") == 0.0


class TestLocks:
    def test_lock_and_unlock(self, rk, ctrl):
        node = rk.Node("ctrl")
        node.lockAttr("tx")
        assert cmds.getAttr("ctrl.tx", lock=True)
        node.unlockAttr("tx")
        assert not cmds.getAttr("ctrl.tx", lock=True)

    @pytest.mark.parametrize("method", ["lockAttr", "unlockAttr"])
    def test_locking_a_missing_attribute_is_reported_and_changes_nothing(
            self, rk, ctrl, errors, method):
        cmds.setAttr("ctrl.tx", lock=True)
        getattr(rk.Node("ctrl"), method)("nope")
        assert errors == ["Zentrik - Attribute does not exist ctrl nope None"]
        assert cmds.getAttr("ctrl.tx", lock=True) and not cmds.getAttr("ctrl.ty", lock=True)

    def test_unlock_transform_channels(self, rk, ctrl):
        for channel in ("tx", "ry", "sz"):
            cmds.setAttr("ctrl." + channel, lock=True, keyable=False, channelBox=False)
        rk.Node("ctrl").unlockTransformChannels()
        for channel in ("tx", "ty", "tz", "rx", "ry", "rz", "sx", "sy", "sz"):
            plug = "ctrl." + channel
            assert not cmds.getAttr(plug, lock=True) and cmds.getAttr(plug, keyable=True)

    def test_unlock_transform_channels_skips_missing_ones(self, rk, errors):
        cmds.createNode("network", name="net")
        rk.Node("net").unlockTransformChannels()
        assert len(errors) == 9

    @pytest.mark.parametrize("locked, expected", [((), False), (("rx", "ry"), False),
                                                  (("rx", "ry", "rz"), True)])
    def test_rotation_locked(self, rk, ctrl, locked, expected):
        for channel in locked:
            cmds.setAttr("ctrl." + channel, lock=True)
        assert rk.Node("ctrl").isRotationLocked() is expected

    def test_rotation_locked_without_rotation(self, rk):
        cmds.createNode("network", name="net")
        with pytest.raises(AttributeError):
            rk.Node("net").isRotationLocked()


class TestOutlinerColor:
    @pytest.mark.parametrize("color, expected", [((255, 51, 0), (1.0, 0.2, 0.0)),
                                                 ((0.25, 0.5, 1.0), (0.25, 0.5, 1.0))])
    def test_recent_host_colours_through_the_suite(self, rk, ctrl, color, expected):
        rk.Node("ctrl").setOutlinerColor(color)
        assert cmds.getAttr("ctrl.useOutlinerColor") is True
        assert cmds.getAttr("ctrl.outlinerColor")[0] == pytest.approx(expected)
        assert [call for call in CORE.calls if call[1] == "toOutlinerColor"] == [
            ("color", "toOutlinerColor", (color,))]

    def test_old_host_sets_nothing(self, rk, ctrl, monkeypatch):
        monkeypatch.setattr(rk, "mayaVersion", 2015)
        rk.Node("ctrl").setOutlinerColor((255, 0, 0))
        assert cmds.getAttr("ctrl.useOutlinerColor") is False


class TestRenameAndReparent:
    def test_rename_answers_the_new_short_name(self, rk, ctrl):
        node = rk.Node("|grp|ctrl")
        assert node.rename("arm") == "arm"
        assert cmds.objExists("|grp|arm") and node.nodeName == "|grp|ctrl"

    def test_reparent_to_the_world_and_back(self, rk, ctrl):
        node = rk.Node("|grp|ctrl")
        node.reparent(None)
        assert cmds.listRelatives("ctrl", parent=True) is None
        node.reparent(rk.Node("grp"))
        assert cmds.listRelatives("ctrl", parent=True, fullPath=True) == ["|grp"]

    @pytest.mark.parametrize("undoable", [False, True])
    def test_reparent_under_a_missing_parent_moves_nothing(self, rk, ctrl, errors, undoable):
        cmds.setAttr("grp.translate", 1, 2, 3)
        node = rk.Node("|grp|ctrl")
        if undoable:
            node.reparentUndoable(rk.Node("grpTypo"))
        else:
            node.reparent(rk.Node("grpTypo"))
        assert cmds.ls("ctrl", long=True) == ["|grp|ctrl"]
        assert cmds.xform("ctrl", query=True, translation=True, worldSpace=True) == [1, 2, 3]
        assert len(errors) == 1
        assert errors[0].startswith("Zentrik - Error handling object grpTypo - ")

    def test_reparent_with_a_modifier_runs_it(self, rk, ctrl):
        from maya.OpenMaya import MDagModifier

        modifier = MDagModifier()
        rk.Node("|grp|ctrl").reparent(None, modifier)
        assert cmds.ls("ctrl", long=True) == ["|ctrl"]
        modifier.undoIt()
        assert cmds.ls("ctrl", long=True) == ["|grp|ctrl"]

    @pytest.mark.parametrize("newParent", ["grp", 5])
    def test_undoable_reparent_that_fails_applies_nothing(self, rk, ctrl, newParent):
        # The failure comes from C code, without a traceback of its own.
        with pytest.raises(AttributeError):
            rk.Node("|grp|ctrl").reparentUndoable(newParent)
        assert CORE.modifierContexts[-1].applied is False
        assert cmds.ls("ctrl", long=True) == ["|grp|ctrl"]

    def test_undoable_reparent(self, rk, ctrl):
        node = rk.Node("|grp|ctrl")
        node.reparentUndoable(None)
        assert cmds.ls("ctrl", long=True) == ["|ctrl"]
        assert node.dagPath.fullPathName() == "|ctrl"
        CORE.lastModifier.undoIt()
        assert cmds.ls("ctrl", long=True) == ["|grp|ctrl"]

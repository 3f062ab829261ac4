"""Mirroring an attribute: names, sides, the mirror-node cache, defaults, multipliers, values."""
import pytest
from maya import cmds
from maya.OpenMaya import MTime

from Zentrik._api.__hybrid__._core import CORE, MirrorNode

LEFT, RIGHT, CENTER = MirrorNode.kLeft, MirrorNode.kRight, MirrorNode.kCenter


@pytest.fixture
def rig():
    """Namespace "char": left and right arm controls, a spine with left and right blinks."""
    cmds.namespace(add="char")
    cmds.group(empty=True, name="char:rig")
    for name in ("char:L_arm_ctrl", "char:R_arm_ctrl", "char:spine_ctrl"):
        cmds.createNode("transform", name=name, parent="char:rig")
    for attr in ("leftBlink", "rightBlink"):
        cmds.addAttr("char:spine_ctrl", longName=attr, attributeType="double", keyable=True)
    cmds.createNode("transform", name="loose_L")
    return "char:"


def attr(rk, path):
    node, name = path.split(".")
    return rk.AnimAttr(rk.Node(node).getPlug(name))


class TestNames:
    @pytest.mark.parametrize("path, names", [
        ("char:L_arm_ctrl.tx", dict(
            plugName="|char:rig|char:L_arm_ctrl.translateX",
            shortPlugName="|char:rig|char:L_arm_ctrl.tx",
            mirrorInfoPlugName="char:L_arm_ctrl.translateX", plainPlugName="L_arm_ctrl.translateX",
            parentKey="rig", settingsKey="rig|L_arm_ctrl.translateX",
            mirrorPlugName="char:R_arm_ctrl.translateX", namespacePrefix="char:", side=LEFT)),
        ("loose_L.ty", dict(parentKey="", settingsKey="|loose_L.translateY", side=LEFT,
                            namespacePrefix="")),  # a side marker at the end
        # A centred node takes the side its attribute names.
        ("char:spine_ctrl.leftBlink", dict(side=LEFT)),
        ("char:spine_ctrl.rightBlink", dict(side=RIGHT)),
        ("char:spine_ctrl.tx", dict(side=CENTER))],
        ids=["namespaced left control", "no parent or namespace", "left of a centred node",
             "right of a centred node", "centred channel"])
    def test_name_forms(self, rk, rig, path, names):
        a = attr(rk, path)
        assert {name: getattr(a, name) for name in names} == names

    @pytest.mark.parametrize("name, family", [
        ("translateX", "isTranslate"), ("tz", "isTranslate"), ("rotateY", "isRotate"),
        ("ry", "isRotate"), ("scaleZ", "isScale"), ("sx", "isScale"),
        ("rotate", None), ("rotateAxisX", None), ("visibility", None)])
    def test_channel_families_are_whole_words(self, rk, rig, name, family):
        a = attr(rk, "char:L_arm_ctrl." + name)
        a.setProperty("attrName", name)  # the short name as given, not Maya's long one
        assert [f for f in ("isTranslate", "isRotate", "isScale") if getattr(a, f)] == (
            [family] if family else [])


class TestMirrorNodes:
    @pytest.mark.parametrize("node, parent, mirrored", [
        ("char:L_arm_ctrl", "char:rig", 0.0),  # deleted: its partner's value
        ("spine", None, 7.0)])  # renamed: a centred node mirrors onto itself
    def test_entry_is_rebuilt_for_a_new_node_of_the_name(self, rk, rig, node, parent, mirrored):
        cmds.createNode("transform", name="spine")
        cmds.setAttr(node + ".tx", 1.0)
        first = attr(rk, node + ".tx").mirrorNodeInfo
        if parent:
            cmds.delete(node)
            cmds.createNode("transform", name=node, parent=parent)
        else:
            cmds.rename(node, "spine_old")
            cmds.createNode("transform", name=node)
        cmds.setAttr(node + ".tx", 7.0)
        fresh = attr(rk, node + ".tx")
        assert fresh.mirrorNodeInfo is not first and fresh.mirrorNodeInfo.node.exists()
        assert fresh.mirrorAttr.getValue() == mirrored
        assert attr(rk, node + ".ty").mirrorNodeInfo is fresh.mirrorNodeInfo

    def test_swapped_side_names_mirror_onto_the_other_node(self, rk, rig):
        CORE.mirrorStoreB.entries["translateX"] = -1
        cmds.setAttr("char:L_arm_ctrl.tx", 2.0)
        cmds.setAttr("char:R_arm_ctrl.tx", 5.0)
        assert attr(rk, "char:L_arm_ctrl.tx").mirrorAttr.plugName.endswith("R_arm_ctrl.translateX")
        assert attr(rk, "char:R_arm_ctrl.tx").mirrorAttr.plugName.endswith("L_arm_ctrl.translateX")
        cmds.rename("char:L_arm_ctrl", "char:tmp_ctrl")  # the animator fixes mislabelled sides
        cmds.rename("char:R_arm_ctrl", "char:L_arm_ctrl")
        cmds.rename("char:tmp_ctrl", "char:R_arm_ctrl")
        left = attr(rk, "char:L_arm_ctrl.tx")  # the node that holds 5.0 now
        assert left.mirrorNodeInfo.side is LEFT
        assert left.mirrorAttr.plugName == "|char:rig|char:R_arm_ctrl.translateX"
        assert left.getMirrorValueAt(MTime(1)) == -2.0
        assert attr(rk, "char:R_arm_ctrl.tx").getMirrorValueAt(MTime(1)) == -5.0


@pytest.mark.parametrize("path, stored, member, expected, reports", [
    ("char:L_arm_ctrl.tx", "translateY", "mirrorAttr", "R_arm_ctrl.translateY", []),
    ("char:L_arm_ctrl.tx", "nothing", "mirrorAttr", "R_arm_ctrl.translateX",  # falls back
     ["Zentrik - Attribute does not exist char:R_arm_ctrl nothing None"]),
    ("char:spine_ctrl.leftBlink", None, "mirrorAttr", "spine_ctrl.rightBlink", []),
    ("char:spine_ctrl.tx", None, "mirrorAttr", "spine_ctrl.translateX", []),
    ("char:L_arm_ctrl.rz", None, "mirrorFromAnimAttr", "R_arm_ctrl.rotateZ", [])],
    ids=["stored name wins", "stored name missing", "left of a centred node",
         "centred channel", "partner from the service"])
def test_mirror_attribute(rk, rig, errors, path, stored, member, expected, reports):
    source = attr(rk, path)
    if stored:
        CORE.mirrorStoreA.entries[source.settingsKey] = stored
    assert getattr(source, member).plugName == "|char:rig|char:" + expected
    assert errors == reports


class TestMultiplier:
    @pytest.mark.parametrize("entries, channel, expected", [
        ({}, "tx", 1), ({"B": -1}, "tx", -1), ({"C": -2}, "tx", -2), ({"B": -1, "C": 5}, "tx", -1),
        ({"B": -1}, "sx", 1)], ids=["none", "store B", "store C", "B before C", "not mirrorable"])
    def test_multiplier_from_the_stores(self, rk, rig, entries, channel, expected):
        key = "translateX" if channel == "tx" else "scaleX"
        for store, value in entries.items():
            getattr(CORE, "mirrorStore" + store).entries[key] = value
        assert attr(rk, "char:L_arm_ctrl." + channel).mirrorMultiplier == expected

    @pytest.mark.parametrize("partners", [0, 2], ids=["no partner", "a name two share"])
    @pytest.mark.parametrize("stored", [None, -1])
    def test_sided_node_without_partner_uses_its_own_multiplier(self, rk, rig, errors, stored,
                                                                partners):
        for n in range(partners):  # copies of a prop rig, no namespaces to tell them apart
            cmds.group(empty=True, name="copy%d" % n)
            cmds.createNode("transform", name="loose_R", parent="copy%d" % n)
        if stored is not None:
            CORE.mirrorStoreB.entries["loose_L.translateX"] = stored
        a = attr(rk, "loose_L.tx")
        assert a.mirrorFromAnimAttr is None
        assert a.mirrorMultiplier == (1 if stored is None else stored)
        assert errors == []

    def test_partner_without_the_attribute_uses_the_wrappers_own_multiplier(self, rk, rig,
                                                                           errors):
        cmds.addAttr("char:L_arm_ctrl", longName="reach", attributeType="double")
        CORE.mirrorStoreB.entries["L_arm_ctrl.reach"] = -3
        a = attr(rk, "char:L_arm_ctrl.reach")
        assert a.mirrorFromAnimAttr is None
        assert a.mirrorMultiplier == -3

    def test_store_c_rules_whole_channels_not_single_nodes(self, rk, rig):
        CORE.mirrorStoreC.entries["loose_L.translateX"] = -2
        assert attr(rk, "loose_L.tx").mirrorMultiplier == 1


@pytest.mark.parametrize("channel, stored, default, queried", [
    ("tx", None, 0.0, 0.0), ("sx", None, 1.0, 1.0), ("tx", 5.0, 5.0, 0.0),
    ("rotateOrder", None, 3, 3)])  # the rotate order's default is its current value
def test_defaults_queried_or_stored(rk, rig, channel, stored, default, queried):
    cmds.setAttr("char:L_arm_ctrl.rotateOrder", 3)
    if stored is not None:
        CORE.mirrorStoreD.entries["L_arm_ctrl.translateX"] = stored
    a = attr(rk, "char:L_arm_ctrl." + channel)
    assert (a.storedDefaultValue, a.defaultValue, a.queriedDefaultValue) == (
        stored, default, queried)
    assert a.isSpecialEnum is (channel == "rotateOrder")


@pytest.mark.parametrize("name, mirrorable", [
    ("translateX", True), ("rotateY", True), ("translate", True), ("scaleX", False),
    ("visibility", False), ("rotateOrder", False), ("label", False), ("offset", False)])
def test_which_channels_mirror(rk, rig, name, mirrorable):
    cmds.addAttr("char:L_arm_ctrl", longName="label", dataType="string")
    cmds.addAttr("char:L_arm_ctrl", longName="offset", dataType="matrix")
    assert attr(rk, "char:L_arm_ctrl." + name).isMirrorable is mirrorable


class TestMirrorValue:
    @pytest.mark.parametrize("channel, expected", [
        ("translateX", -3.0), ("translate", [-3.0, -2.0, -1.0])])  # a list, element by element
    def test_value_of_the_partner_at_another_frame_with_its_sign_flipped(self, rk, rig, channel,
                                                                        expected):
        cmds.setAttr("char:R_arm_ctrl.translate", 1.0, 2.0, 1.0)
        cmds.setKeyframe("char:R_arm_ctrl.tx", time=(1,), value=1.0)
        cmds.setKeyframe("char:R_arm_ctrl.tx", time=(10,), value=3.0)
        CORE.mirrorStoreB.entries[channel] = -1
        value = attr(rk, "char:L_arm_ctrl." + channel).getMirrorValueAt(MTime(10, MTime.uiUnit()))
        assert value == expected

    @pytest.mark.parametrize("asked", ["mirrorAttr", "getMirrorValueAt"])
    def test_missing_partner_gives_none(self, rk, rig, errors, asked):
        cmds.delete("char:R_arm_ctrl")
        a = attr(rk, "char:L_arm_ctrl.tx")
        assert (a.mirrorAttr if asked == "mirrorAttr" else a.getMirrorValueAt(MTime(1))) is None
        assert errors == [  # the node, then its attribute
            "Zentrik - Error handling object char:R_arm_ctrl - (kInvalidParameter): Object does "
            "not exist", "Zentrik - Attribute does not exist char:R_arm_ctrl translateX None"]

    def test_value_whose_multiplication_empties_it_is_mirrored_without_reading_past_it(
            self, rk, rig, monkeypatch):
        class Emptying(float):
            """A number whose product empties every list that holds it."""

            def __mul__(self, other):
                import gc

                for holder in gc.get_referrers(self):
                    if isinstance(holder, list):
                        del holder[:]
                return float(self) * other

        value = [Emptying(1.0), Emptying(2.0), (Emptying(3.0), 4.0)]
        monkeypatch.setattr(rk.AnimAttr, "valueAtTime", lambda self, time: value)
        CORE.mirrorStoreB.entries["translate"] = -1
        mirrored = attr(rk, "char:L_arm_ctrl.translate").getMirrorValueAt(MTime(1))
        assert mirrored == [-1.0, -2.0, (-3.0, -4.0)]

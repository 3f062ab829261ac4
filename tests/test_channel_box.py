"""ChannelBox: the attributes an animator means, from its selection or what it shows."""
import gc

import pytest
from hypothesis import HealthCheck, example, given, settings, strategies as st
from maya import cmds
from maya.OpenMaya import MFnDependencyNode, MPlug

from Zentrik._api.__hybrid__._core import CORE


@pytest.fixture
def rig():
    for name in ("a", "b"):
        cmds.createNode("transform", name=name)
    cmds.createNode("nurbsCurve", name="aShape", parent="a")
    cmds.select(clear=True)
    return ["a", "b"]


def paths(attrs):
    return [attr.plugName for attr in attrs]


class TestNodes:
    @pytest.mark.parametrize("given, nodes", [
        ("a", ["a"]), (None, ["|b", "|a"]), ("", ["|b", "|a"]), ([], ["|b", "|a"]),
        (b"a", ["a"]), ([b"a", "b"], ["a", "b"]), ((b"b",), ["b"]), (b"", ["|b", "|a"])])
    def test_nodes_are_the_names_given_or_the_selection(self, rk, rig, given, nodes):
        """Names given as bytes are read as Latin-1."""
        cmds.select("b", "a")
        channelBox = rk.ChannelBox(given)
        assert channelBox.nodes == nodes
        first = nodes[0].strip("|")
        assert channelBox.animatablePlugNames[:2] == ["|%s.visibility" % first,
                                                      "|%s.translateX" % first]

    def test_nothing_selected_gives_nothing(self, rk, rig):
        channelBox = rk.ChannelBox()
        assert channelBox.nodes == []
        assert channelBox.animatableAttrs == channelBox.channelBoxAttrs == []
        assert channelBox.animatedAttrs == [] and channelBox.animatablePlugs.length() == 0

    @pytest.mark.parametrize("method, given", [
        ("addShapes", None), ("addCameraShapes", None),
        ("addShapes", ["md", "a", "b", "camera1"]), ("addShapes", ("md", "a", "b", "camera1"))])
    def test_shapes_are_added_once_and_dependency_nodes_stay(self, rk, rig, method, given):
        # b is a transform without a shape: it adds nothing.
        assert cmds.camera()[0] == "camera1"
        cmds.createNode("multiplyDivide", name="md")
        cmds.select("md", "a", "b", "camera1")
        channelBox = rk.ChannelBox(given)
        getattr(channelBox, method)()
        getattr(channelBox, method)()
        shapes = ["|camera1|cameraShape1"] + (["|a|aShape"] if method == "addShapes" else [])
        nodes = list(given) if given else ["md", "|a", "|b", "|camera1"]
        assert sorted(channelBox.nodes) == sorted(nodes + shapes)
        assert "md.input1X" in paths(channelBox.animatableAttrs)

    def test_long_and_short_names_of_every_animatable_plug(self, rk, rig):
        cmds.addAttr("b", longName="amount", shortName="amt", attributeType="double",
                      keyable=True)
        cmds.addAttr("b", longName="hidden", attributeType="double")  # not keyable
        channelBox = rk.ChannelBox(["b", "nothing", "a"])
        channels = ["visibility"] + [c + axis for c in ("translate", "rotate", "scale")
                                     for axis in "XYZ"]
        short = ["v"] + [c + axis for c in "trs" for axis in "xyz"]
        assert channelBox.animatablePlugNames == ["|b." + name for name in channels] + \
            ["|b.amount"] + ["|a." + name for name in channels]
        assert channelBox.animatableShortPlugNames == ["|b." + name for name in short] + \
            ["|b.amt"] + ["|a." + name for name in short]


@pytest.mark.interactive
class TestChannelBoxSelection:
    @pytest.mark.parametrize("objects, selected, usable", [
        ("ab", ["a.tx", "b.tx"], ["|a.translateX", "|b.translateX"]),
        ("a", ["a.tx", "a.ty", "a.weights", "a.hiddenValue"], ["|a.translateX"]),
        ("a", ["a.ty"], []), ("a", ["a.hiddenValue"], [])],
        ids=["two objects", "mixed", "locked", "hidden"])
    def test_unusable_plugs_are_left_out(self, rk, rig, objects, selected, usable):
        """Highlighting only unusable channels leaves nothing to key or filter."""
        cmds.addAttr("a", longName="weights", attributeType="double", multi=True, keyable=True)
        cmds.addAttr("a", longName="hiddenValue", attributeType="double")
        cmds.setAttr("a.ty", lock=True)
        cmds.select(*objects)
        cmds.channelBox("mainChannelBox", edit=True, select=selected)
        channelBox = rk.ChannelBox()
        assert channelBox.selectedChannelPaths == selected
        assert channelBox.selectedPlugNames == paths(channelBox.activeAttrs) == usable
        assert channelBox.nonAnimatedPlugNames == usable

    @pytest.mark.parametrize("selected, meant", [
        ("a.tx", "|a.translateX"), ("aShape.v", "|a|aShape.visibility"),
        ("inputs.i2x", "inputs.input2X"), ("outputs.i2x", "outputs.input2X")],
        ids=["main", "shape", "inputs", "outputs"])
    def test_a_channel_highlighted_in_any_section_is_meant(self, rk, rig, selected, meant):
        """INPUTS and OUTPUTS list the dependency nodes feeding a and fed by it."""
        for name, connection in (("inputs", ("inputs.outputX", "a.tx")),
                                 ("outputs", ("a.ty", "outputs.input1X"))):
            cmds.createNode("multiplyDivide", name=name)
            cmds.connectAttr(*connection)
        cmds.select("a")
        cmds.channelBox("mainChannelBox", edit=True, select=[selected])
        channelBox = rk.ChannelBox()
        assert channelBox.selectedChannelPaths == [selected]
        assert channelBox.selectedPlugNames == paths(channelBox.activeAttrs) == [meant]

    def test_plugs_handed_out_outlive_their_arrays_and_nothing_is_kept(self, rk, rig):
        """A plug read from an API array dies with it; kept wrappers must not, nor arrays stay."""
        cmds.setKeyframe("a.tx", time=(1,), value=1.0)
        cmds.select("a")
        cmds.channelBox("mainChannelBox", edit=True, select=["a.tx"])
        before = len(rk.ChannelBox.keepAlive)
        attrs = [attr for _ in range(3) for attr in rk.ChannelBox().selectedAttrs +
                 rk.ChannelBox().animatableAttrs + rk.ChannelBox().animatedAttrs +
                 rk.ChannelBox().nonAnimatedAttrs]
        # Plugs indexed and iterated from arrays of Channel Boxes gone at once.
        plugs = [rk.ChannelBox().selectedPlugs[0], rk.ChannelBox().animatablePlugs[1],
                 *rk.ChannelBox().animatedPlugs]
        gc.collect()
        assert "a.translateX" in [attr.plug.name() for attr in attrs]
        assert [plug.name() for plug in plugs] == ["a.translateX", "a.translateX",
                                                   "a.translateX"]
        assert isinstance(rk.ChannelBox().animatablePlugs, rk.MPlugArray)
        assert len(rk.ChannelBox.keepAlive) == before


class TestShownAttributes:
    @pytest.mark.parametrize("hidden, locked, shown, names", [
        (False, False, True, "a"), (True, False, False, "a"), (False, True, False, "a"),
        (False, False, True, ["a", "|a"])])
    def test_rotate_order(self, rk, rig, hidden, locked, shown, names):
        """One node under two names shows its rotate order once."""
        if hidden:
            CORE.optionSet.activeOptions.add("nonExposedRotationOrder")
        if locked:
            cmds.setAttr("a.rotateOrder", lock=True)
        assert paths(rk.ChannelBox(names).channelBoxAttrs).count("|a.rotateOrder") == shown

    def test_animated_and_non_animated(self, rk, rig):
        cmds.setKeyframe("a.tx", time=(1,), value=1.0)
        cmds.setKeyframe("a.ry", time=(1,), value=1.0)
        channelBox = rk.ChannelBox("a")
        assert sorted(paths(channelBox.animatedAttrs)) == ["|a.rotateY", "|a.translateX"]
        names = channelBox.nonAnimatedPlugNames
        assert "|a.translateX" not in names and "|a.translateY" in names
        assert len(names) == len(channelBox.activeAttrs) - 2


# --- what the Channel Box shows, against the walk over every attribute index -----

def walkedShownAttributes(rk, nodes):
    """The plain reading of what the Channel Box shows though not keyable:
    every attribute index of every node, one plug at a time."""
    hidden = "nonExposedRotationOrder" in CORE.optionSet.activeOptions
    found = []
    for name in nodes:
        fn = MFnDependencyNode(rk.Node(name).nodeMObject)
        for plug in (fn.findPlug(fn.attribute(index)) for index in range(fn.attributeCount())):
            shown = plug.isChannelBoxFlagSet() and not plug.isArray() and not plug.isLocked()
            freeOrder = plug.partialName() == "ro" and not hidden and (
                plug.isFreeToChange() == MPlug.kFreeToChange)
            if not plug.isKeyable() and (shown or freeOrder):
                found.append(plug.name())
    return found


# One user attribute: how it is made, then its flags.
userAttribute = st.fixed_dictionaries({
    "shape": st.sampled_from(["double", "enum", "multi", "compound", "multiCompound"]),
    "keyable": st.booleans(), "shown": st.booleans(), "locked": st.booleans(),
    "childShown": st.booleans(), "shortName": st.sampled_from([None, "ro"]),
})
SHAPES = {"double": {"attributeType": "double"},
          "enum": {"attributeType": "enum", "enumName": "a:b"},
          "multi": {"attributeType": "double", "multi": True},
          "compound": {"attributeType": "compound", "numberOfChildren": 2},
          "multiCompound": {"attributeType": "compound", "numberOfChildren": 2, "multi": True}}


def addUserAttribute(node, index, flags):
    name, shape, plug = "u%d" % index, flags["shape"], "%s.u%d" % (node, index)
    short = flags["shortName"] if flags["shortName"] and not cmds.attributeQuery(
        "ro", node=node, exists=True) else name
    cmds.addAttr(node, longName=name, shortName=short, **SHAPES[shape])
    if "numberOfChildren" in SHAPES[shape]:
        for child in ("X", "Y"):
            cmds.addAttr(node, longName=name + child, attributeType="double", parent=name)
    if shape == "compound":
        cmds.setAttr(plug + "X", keyable=flags["keyable"])
        cmds.setAttr(plug + "X", channelBox=flags["childShown"])
        return
    cmds.setAttr(plug, keyable=flags["keyable"])
    if not flags["keyable"]:
        cmds.setAttr(plug, channelBox=flags["shown"])
    cmds.setAttr(plug, lock=flags["locked"])


channelBoxScenes = st.fixed_dictionaries({
    "nodes": st.lists(st.tuples(
        st.sampled_from(["transform", "joint", "network"]),
        st.sampled_from(["free", "locked", "connected", "shown", "keyable"]),
        st.lists(userAttribute, max_size=4)), min_size=1, max_size=3),
    "hidden": st.booleans(),
})
ROTATE_ORDER_FLAGS = {"locked": {"lock": True}, "shown": {"channelBox": True},
                      "keyable": {"keyable": True}}


@settings(max_examples=40, deadline=None,
          suppress_health_check=[HealthCheck.function_scoped_fixture])
@given(scene=channelBoxScenes)
# The scenes where order is easy to get wrong: a free rotate order between the
# transform's own attributes and a shown user attribute, and a DG node whose
# user attribute is the one called "ro", after another shown one.
@example(scene={"hidden": False, "nodes": [("transform", "free", [
    {"shape": "double", "keyable": False, "shown": True, "locked": False,
     "childShown": False, "shortName": None}])]})
@example(scene={"hidden": False, "nodes": [("network", "free", [
    {"shape": "double", "keyable": False, "shown": True, "locked": False,
     "childShown": False, "shortName": None},
    {"shape": "enum", "keyable": False, "shown": False, "locked": False,
     "childShown": False, "shortName": "ro"}])]})
def test_shown_attributes_are_those_of_the_walk_over_every_index(rk, errors, scene):
    cmds.file(new=True, force=True)
    CORE.optionSet.activeOptions.discard("nonExposedRotationOrder")
    if scene["hidden"]:
        CORE.optionSet.activeOptions.add("nonExposedRotationOrder")
    driver = cmds.createNode("transform", name="driver")
    names = []
    for number, (nodeType, rotateOrder, attributes) in enumerate(scene["nodes"]):
        node = cmds.ls(cmds.createNode(nodeType, name="n%d" % number), long=True)[0]
        names.append(node)
        for index, flags in enumerate(attributes):
            addUserAttribute(node, index, flags)
        if nodeType != "network" and rotateOrder == "connected":
            cmds.connectAttr(driver + ".rotateOrder", node + ".rotateOrder")
        elif nodeType != "network" and rotateOrder in ROTATE_ORDER_FLAGS:
            cmds.setAttr(node + ".rotateOrder", **ROTATE_ORDER_FLAGS[rotateOrder])
    channelBox = rk.ChannelBox(names)
    animatable = [attr.plug.name() for attr in channelBox.animatableAttrs]
    shown = [attr.plug.name() for attr in channelBox.channelBoxAttrs]
    assert shown[:len(animatable)] == animatable
    # Without channels selected in the Channel Box, the attributes meant are those it shows.
    assert [attr.plug.name() for attr in channelBox.activeAttrs] == shown
    # Nodes come in the selection reader's order; the walk takes the same.
    assert shown[len(animatable):] == walkedShownAttributes(rk, rk.SelectionReader(names).nodes)
    assert errors == []

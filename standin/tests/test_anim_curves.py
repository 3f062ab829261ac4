"""MAnimUtil over selection lists (animatable and animated plugs); the attributes
a transform and a joint carry, as Maya lists them (how many, in which order,
which ones keyable, their defaults); and the plug flags the Channel Box reads."""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dagPath, dependNode, selectionOf

KEYABLE = ["visibility", "translateX", "translateY", "translateZ", "rotateX", "rotateY",
           "rotateZ", "scaleX", "scaleY", "scaleZ"]


def found(finder, *names, **flags):
    """(answer, plug names) of an MAnimUtil finder over the named items."""
    plugs = om.MPlugArray()
    answer = finder(selectionOf(*names), plugs, **flags)
    return answer, [plugs[i].name() for i in range(plugs.length())]


@pytest.fixture
def ctrl():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")


class TestAnimatable:
    def test_locked_non_keyable_arrays_and_unkeyable_types_are_left_out(self, ctrl):
        cmds.setAttr("ctrl.tx", lock=True)
        cmds.setAttr("ctrl.ry", keyable=False, channelBox=True)
        cmds.addAttr("ctrl", longName="amount", attributeType="double", keyable=True)
        cmds.addAttr("ctrl", longName="weights", attributeType="double", multi=True,
                     keyable=True)
        cmds.addAttr("ctrl", longName="label", dataType="string")
        cmds.setAttr("ctrl.label", keyable=True)
        cmds.addAttr("ctrl", longName="mode", attributeType="enum", enumName="a:b",
                     keyable=True)
        _, names = found(oma.MAnimUtil.findAnimatablePlugs, "ctrl")
        assert "ctrl.translateX" not in names and "ctrl.rotateY" not in names
        assert names[-2:] == ["ctrl.amount", "ctrl.mode"]
        assert not any(n.startswith(("ctrl.weights", "ctrl.label")) for n in names)

    # A node's keyable leaves in attribute order, as ChannelBox's animatable plug
    # names show them (tests/test_channel_box.py).
    @pytest.mark.parametrize("names, expected", [
        (("other", "ctrl.rotate", "ctrl.sx"), ["other." + leaf for leaf in KEYABLE] + [
            "ctrl.rotateX", "ctrl.rotateY", "ctrl.rotateZ", "ctrl.scaleX"]),
        (("ctrl.v",), [])])
    def test_every_item_of_the_list_in_list_order(self, ctrl, names, expected):
        cmds.setAttr("ctrl.v", keyable=False)
        assert found(oma.MAnimUtil.findAnimatablePlugs, *names) == (bool(expected), expected)

    @pytest.mark.parametrize("item, error", [
        (dependNode, TypeError), (dagPath, TypeError), (selectionOf, RuntimeError)])
    def test_only_a_selection_list_of_live_nodes_is_taken(self, ctrl, item, error):
        taken = item("ctrl")
        cmds.delete("ctrl")
        with pytest.raises(error):
            oma.MAnimUtil.findAnimatablePlugs(taken, om.MPlugArray())


class TestAnimated:
    def test_curve_driven_leaves_in_attribute_order_over_the_list(self, ctrl):
        for name in ("ctrl.sz", "ctrl.tx", "other.ry"):
            cmds.setKeyframe(name, time=(1,), value=1.0)
        cmds.connectAttr("other.ry", "ctrl.ry")  # driven by another node: not animated
        assert found(oma.MAnimUtil.findAnimatedPlugs, "other", "ctrl") == (
            True, ["other.rotateY", "ctrl.translateX", "ctrl.scaleZ"])
        assert found(oma.MAnimUtil.findAnimatedPlugs, "ctrl", checkParent=True)[1] == [
            "ctrl.translateX", "ctrl.scaleZ"]
        assert found(oma.MAnimUtil.findAnimatedPlugs, "ctrl.ry") == (False, [])

    def test_a_rotation_in_a_layer_is_animated_channel_by_channel(self, ctrl):
        cmds.setKeyframe("ctrl.ry", time=(1,), value=1.0)
        cmds.animLayer("layer1")
        cmds.animLayer("layer1", edit=True, attribute=["ctrl.rx", "ctrl.ry", "ctrl.rz"])
        _, names = found(oma.MAnimUtil.findAnimatedPlugs, "ctrl")
        assert names == ["ctrl.rotateX", "ctrl.rotateY", "ctrl.rotateZ"]


def attributes(name):
    """A node's function set and its attributes in index order."""
    fn = om.MFnDependencyNode(dependNode(name))
    return fn, [fn.attribute(i) for i in range(fn.attributeCount())]


@pytest.mark.parametrize("nodeType, count", [("transform", 232), ("joint", 311)])
def test_attribute_indices_run_from_the_base_node_to_the_type_then_dynamic(nodeType, count):
    node = cmds.createNode(nodeType, name="n")
    names = [om.MFnAttribute(a).name() for a in attributes(node)[1]]
    assert len(names) == len(set(names)) == count
    order = [names.index(a) for a in ("message", "binMembership", "hyperLayout",
                                      "boundingBox", "visibility", "outlinerColorB",
                                      "translate", "translateX", "rotateZ", "rotateOrder",
                                      "scale", "offsetParentMatrix", "rotationInterpolation")]
    assert order == sorted(order) and order[:2] == [0, 5]
    assert names.index("translateX") == names.index("translate") + 1
    cmds.addAttr(node, longName="offset", attributeType="double3")
    for axis in "XYZ":
        cmds.addAttr(node, longName="offset" + axis, attributeType="double", parent="offset")
    fn, attrs = attributes(node)
    assert [om.MFnAttribute(a).name() for a in attrs[count:]] == [
        "offset", "offsetX", "offsetY", "offsetZ"]
    with pytest.raises(RuntimeError):
        fn.attribute(len(attrs))
    for attr in attrs:  # findPlug takes the attribute object or its name
        assert fn.findPlug(attr).name() == fn.findPlug(om.MFnAttribute(attr).name()).name()


@pytest.mark.parametrize("nodeType", ["transform", "joint"])
def test_a_new_transform_keys_visibility_and_the_nine_channels(nodeType):
    node = cmds.createNode(nodeType, name="n")
    assert cmds.listAttr(node, keyable=True) == KEYABLE
    assert cmds.listAttr(node, channelBox=True) is None
    for attr in ("rotateOrder", "jointOrientX" if nodeType == "joint" else "shearXY"):
        assert not cmds.attributeQuery(attr, node=node, keyable=True)
        assert not cmds.attributeQuery(attr, node=node, channelBox=True)


@pytest.mark.parametrize("plugName, default", [
    ("visibility", True), ("scaleY", 1.0), ("rotateOrder", 0), ("inheritsTransform", True),
    ("minRotXLimit", -45.0), ("maxTransLimitEnable", [(False, False, False)]),
    ("objectColor", 0), ("useOutlinerColor", False), ("ghostColorPreR", 0.447),
])
def test_inherited_and_own_attributes_start_at_mayas_defaults(plugName, default):
    node = cmds.createNode("transform", name="n")
    expected = pytest.approx(default) if isinstance(default, float) else default
    assert cmds.getAttr("%s.%s" % (node, plugName)) == expected


@pytest.mark.parametrize("attribute, default", [
    ("translateX", [0.0]), ("scaleY", [1.0]), ("scale", [1.0, 1.0, 1.0]),
    ("visibility", [1.0]), ("rotateOrder", [0.0]), ("offset", [2.0]),
    ("reach", [20.0]), ("worldMatrix", None), ("message", None)])
def test_list_default_in_working_units(ctrl, attribute, default):
    cmds.addAttr("ctrl", longName="offset", attributeType="double", defaultValue=2.0)
    cmds.addAttr("ctrl", longName="reach", attributeType="doubleLinear", defaultValue=2.0)
    cmds.currentUnit(linear="mm")
    assert cmds.attributeQuery(attribute, node="ctrl", listDefault=True) == default


def test_dag_nodes_descend_from_container_base_and_entity():
    node = cmds.createNode("joint", name="n")
    assert cmds.nodeType(node, inherited=True) == [
        "containerBase", "entity", "dagNode", "transform", "joint"]
    for abstract in ("containerBase", "entity"):
        with pytest.raises(RuntimeError):
            cmds.createNode(abstract)


@pytest.mark.parametrize("setup, plugName, expected", [
    ([], "tx", (False, True, False, "tx", om.MPlug.kFreeToChange)),
    ([dict(lock=True)], "tx", (False, True, False, "tx", om.MPlug.kNotFreeToChange)),
    ([dict(keyable=False, channelBox=True)], "tx",
     (False, False, True, "tx", om.MPlug.kFreeToChange)),
    ([], "rotateOrder", (False, False, False, "ro", om.MPlug.kFreeToChange)),
    ([], "worldMatrix", (True, False, False, "wm", om.MPlug.kFreeToChange)),
])
def test_plug_flags_the_channel_box_reads(ctrl, setup, plugName, expected):
    for flags in setup:
        cmds.setAttr("ctrl." + plugName, **flags)
    fn, _ = attributes("ctrl")
    plug = fn.findPlug(fn.attribute(plugName))
    assert (plug.isArray(), plug.isKeyable(), plug.isChannelBoxFlagSet(),
            plug.partialName(), plug.isFreeToChange()) == expected

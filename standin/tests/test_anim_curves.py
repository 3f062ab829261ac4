"""MAnimUtil over selection lists (animatable and animated plugs), and the
attribute walk and plug flags of MFnDependencyNode and MPlug that the Channel
Box reads."""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dagPath, dependNode, selectionOf

TRANSFORM_LEAVES = ["visibility", "translateX", "translateY", "translateZ", "rotateX",
                    "rotateY", "rotateZ", "scaleX", "scaleY", "scaleZ"]


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

    def test_every_item_of_the_list_in_list_order(self, ctrl):
        # A node's keyable leaves in attribute order, as ChannelBox's
        # animatable plug names show them (tests/test_channel_box.py).
        answer, names = found(oma.MAnimUtil.findAnimatablePlugs,
                              "other", "ctrl.rotate", "ctrl.sx")
        assert answer is True
        assert names == ["other." + leaf for leaf in TRANSFORM_LEAVES] + [
            "ctrl.rotateX", "ctrl.rotateY", "ctrl.rotateZ", "ctrl.scaleX"]

    def test_nothing_animatable_answers_false(self, ctrl):
        cmds.createNode("multiplyDivide", name="md")
        cmds.setAttr("ctrl.v", keyable=False)
        assert found(oma.MAnimUtil.findAnimatablePlugs, "ctrl.v") == (False, [])

    @pytest.mark.parametrize("item, error", [
        (dependNode, TypeError), (dagPath, TypeError), (selectionOf, RuntimeError)])
    def test_only_a_selection_list_of_live_nodes_is_taken(self, ctrl, item, error):
        taken = item("ctrl")
        cmds.delete("ctrl")
        with pytest.raises(error):
            oma.MAnimUtil.findAnimatablePlugs(taken, om.MPlugArray())


class TestAnimated:
    def test_curve_driven_leaves_in_attribute_order_over_the_list(self, ctrl):
        cmds.setKeyframe("ctrl.sz", time=(1,), value=2.0)
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.setKeyframe("other.ry", time=(1,), value=1.0)
        answer, names = found(oma.MAnimUtil.findAnimatedPlugs, "other", "ctrl")
        assert answer is True
        assert names == ["other.rotateY", "ctrl.translateX", "ctrl.scaleZ"]
        assert found(oma.MAnimUtil.findAnimatedPlugs, "ctrl", checkParent=True)[1] == [
            "ctrl.translateX", "ctrl.scaleZ"]

    def test_plugs_driven_by_other_nodes_are_not_animated(self, ctrl):
        cmds.connectAttr("other.tx", "ctrl.tx")
        cmds.setKeyframe("other.tx", time=(1,), value=1.0)
        assert found(oma.MAnimUtil.findAnimatedPlugs, "ctrl") == (False, [])

    def test_a_rotation_in_a_layer_is_animated_channel_by_channel(self, ctrl):
        cmds.setKeyframe("ctrl.ry", time=(1,), value=1.0)
        cmds.animLayer("layer1")
        cmds.animLayer("layer1", edit=True, attribute=["ctrl.rx", "ctrl.ry", "ctrl.rz"])
        _, names = found(oma.MAnimUtil.findAnimatedPlugs, "ctrl")
        assert names == ["ctrl.rotateX", "ctrl.rotateY", "ctrl.rotateZ"]


class TestAttributeWalk:
    def attributes(self, name):
        fn = om.MFnDependencyNode(dependNode(name))
        return fn, [fn.attribute(i) for i in range(fn.attributeCount())]

    def test_static_attributes_then_dynamic_children_after_their_parent(self, ctrl):
        cmds.addAttr("ctrl", longName="offset", attributeType="double3")
        for axis in "XYZ":
            cmds.addAttr("ctrl", longName="offset" + axis, attributeType="double",
                         parent="offset")
        fn, attrs = self.attributes("ctrl")
        names = [om.MFnAttribute(a).name() for a in attrs]
        assert names[-4:] == ["offset", "offsetX", "offsetY", "offsetZ"]
        assert names.index("translate") + 1 == names.index("translateX")
        assert len(set(names)) == len(names)
        with pytest.raises(RuntimeError):
            fn.attribute(len(attrs))

    def test_find_plug_takes_the_attribute_object_or_its_name(self, ctrl):
        fn, attrs = self.attributes("ctrl")
        for attr in attrs:
            name = om.MFnAttribute(attr).name()
            assert fn.findPlug(attr).name() == fn.findPlug(name).name()

    @pytest.mark.parametrize("setup, plugName, expected", [
        ([], "tx", (False, True, False, "tx", om.MPlug.kFreeToChange)),
        ([dict(lock=True)], "tx", (False, True, False, "tx", om.MPlug.kNotFreeToChange)),
        ([dict(keyable=False, channelBox=True)], "tx",
         (False, False, True, "tx", om.MPlug.kFreeToChange)),
        ([], "rotateOrder", (False, False, False, "ro", om.MPlug.kFreeToChange)),
        ([], "worldMatrix", (True, False, False, "wm", om.MPlug.kFreeToChange)),
    ])
    def test_plug_flags_the_channel_box_reads(self, ctrl, setup, plugName, expected):
        for flags in setup:
            cmds.setAttr("ctrl." + plugName, **flags)
        fn, _ = self.attributes("ctrl")
        plug = fn.findPlug(fn.attribute(plugName))
        assert (plug.isArray(), plug.isKeyable(), plug.isChannelBoxFlagSet(),
                plug.partialName(), plug.isFreeToChange()) == expected

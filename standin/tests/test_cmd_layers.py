"""Animation layers in the Maya stand-in: the layer nodes and their flags,
membership, the best layer, blends, blended values and keying into a layer."""
import pytest
from maya import cmds
from maya import OpenMaya as om
from maya import OpenMayaAnim as oma
from scene_lookup import dependNode, plug, sources


@pytest.fixture
def rig():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="other")
    cmds.addAttr("ctrl", longName="amount", attributeType="double", keyable=True)


def curvesOf(name):
    found = om.MObjectArray()
    oma.MAnimUtil.findAnimation(plug(name), found)
    return sorted(om.MFnDependencyNode(found[i]).name() for i in range(found.length()))


class TestLayerNodes:
    def test_layers_hang_under_their_parent_in_creation_order(self, rig):
        assert cmds.animLayer(query=True, root=True) is None
        assert cmds.ls(type="animLayer") == []
        assert [cmds.animLayer("layerA"), cmds.animLayer("layerA"), cmds.animLayer()] == \
            ["layerA", "layerA1", "AnimLayer1"]
        assert cmds.nodeType("BaseAnimation") == "animLayer"
        assert cmds.animLayer(query=True, root=True) == "BaseAnimation"
        assert cmds.listConnections("BaseAnimation.childrenLayers") == \
            ["layerA", "layerA1", "AnimLayer1"]
        assert cmds.animLayer("layerA1", query=True, parent=True) == "BaseAnimation"
        assert cmds.getAttr("BaseAnimation.override") is True
        with pytest.raises(RuntimeError):  # a query names its layer, not a flag's value
            cmds.animLayer(query="layerA", mute=True)
        # a child layer hangs under its parent and takes its weight and mute
        cmds.animLayer("child", parent="layerA")
        assert cmds.animLayer("layerA", query=True, children=True) == ["child"]
        assert cmds.listConnections("BaseAnimation.childrenLayers") == \
            ["layerA", "layerA1", "AnimLayer1"]
        cmds.animLayer("layerA", edit=True, weight=0.5)
        assert cmds.getAttr("child.foregroundWeight") == 0.5
        cmds.animLayer("layerA", edit=True, mute=True)
        assert cmds.getAttr("child.foregroundWeight") == 0.0
        layers = ["BaseAnimation", "layerA", "layerA1", "AnimLayer1"]
        assert cmds.ls(type="animLayer") == layers + ["child"]
        cmds.delete("child")
        assert cmds.ls(type="animLayer") == layers
        with pytest.raises(ValueError):
            cmds.animLayer("child", query=True, preferred=True)

    @pytest.mark.parametrize("flag, short, default", [
        ("mute", "m", False), ("lock", "l", False), ("solo", "s", False), ("override", "o", False),
        ("passthrough", "pth", True), ("preferred", "prf", False), ("selected", "sel", False)])
    def test_flags_are_the_layer_nodes_attributes(self, rig, flag, short, default):
        cmds.animLayer("layerA")
        cmds.animLayer("layerB")
        assert cmds.animLayer("layerA", query=True, **{flag: True}) is default
        cmds.animLayer("layerA", edit=True, **{short: not default})
        assert cmds.animLayer("layerA", q=True, **{short: True}) is (not default)
        assert cmds.getAttr("layerA." + flag) is (not default)
        # a flag of one layer leaves the other layers' flags alone
        assert cmds.animLayer("layerB", query=True, **{flag: True}) is default

    @pytest.mark.parametrize("name, error", [("nothing", ValueError), ("ctrl", RuntimeError)])
    def test_a_name_that_is_no_layer_is_refused(self, rig, name, error):
        cmds.animLayer("layerA")
        with pytest.raises(error):
            cmds.animLayer(name, query=True, mute=True)
        with pytest.raises(error):
            cmds.animLayer(name, edit=True, mute=True)
        assert cmds.animLayer(name, query=True, exists=True) is False


class TestMembership:
    def test_attributes_in_order_their_nodes_as_set_members_and_the_affected_layers(self, rig):
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.animLayer("layerA", edit=True, attribute=["ctrl.ty", "other.rz"])
        assert cmds.animLayer("layerA", query=True, attribute=True) == \
            ["ctrl.translateX", "ctrl.translateY", "other.rotateZ"]
        assert cmds.listConnections("layerA.dagSetMembers") == ["ctrl", "other"]
        cmds.animLayer("layerA", edit=True, removeAttribute="ctrl.ty")
        assert cmds.animLayer("layerA", query=True, attribute=True) == \
            ["ctrl.translateX", "other.rotateZ"]
        cmds.animLayer("layerA", edit=True, removeAllAttributes=True)
        assert cmds.animLayer("layerA", query=True, attribute=True) is None
        cmds.animLayer("layerA", edit=True, attribute="ctrl.s")  # a compound adds its children
        assert cmds.animLayer("layerA", query=True, attribute=True) == \
            ["ctrl.scaleX", "ctrl.scaleY", "ctrl.scaleZ"]
        # the layers affecting a node list the base layer first
        cmds.animLayer("layerB")
        assert cmds.animLayer("ctrl", query=True, affectedLayers=True) == \
            ["BaseAnimation", "layerA"]
        assert cmds.animLayer(["other"], query=True, affectedLayers=True) is None
        cmds.select("ctrl")
        assert cmds.animLayer(query=True, affectedLayers=True) == ["BaseAnimation", "layerA"]

    @pytest.mark.parametrize("name, blendType, apiType, source", [
        ("ctrl.tx", "animBlendNodeAdditiveDL", "kBlendNodeDoubleLinear",
         "ctrl_translateX_layerA.output"),
        ("ctrl.ry", "animBlendNodeAdditiveRotation", "kBlendNodeAdditiveRotation",
         "ctrl_rotate_layerA.outputY"),
        ("ctrl.sz", "animBlendNodeAdditiveScale", "kBlendNodeAdditiveScale",
         "ctrl_scaleZ_layerA.output"),
        ("ctrl.v", "animBlendNodeBoolean", "kBlendNodeBoolean", "ctrl_visibility_layerA.output"),
        ("ctrl.amount", "animBlendNodeAdditive", "kBlendNodeDouble", "ctrl_amount_layerA.output"),
    ])
    def test_each_kind_of_channel_gets_its_blend(self, rig, name, blendType, apiType, source):
        cmds.animLayer("layerA", attribute=name)
        assert sources(name) == [source]
        blend = source.split(".")[0]
        assert cmds.nodeType(blend) == blendType
        # A blend answers to its own type only, not to kBlendNodeBase.
        node = dependNode(blend)
        assert node.hasFn(getattr(om.MFn, apiType)) and not node.hasFn(om.MFn.kBlendNodeBase)
        assert not oma.MAnimUtil.isAnimated(plug(name))
        assert cmds.animLayer("layerA", query=True, blendNodes=True) == [blend]
        assert sources(blend + ".weightB") == ["layerA.foregroundWeight"]
        assert sources(blend + ".weightA") == ["layerA.backgroundWeight"]

    def test_base_animation_goes_under_the_lowest_layers_blend_whatever_the_order(self, rig):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=3.0)
        cmds.setAttr("ctrl.ty", 4.0)
        cmds.animLayer("layerA")
        cmds.animLayer("layerB", attribute=["ctrl.tx", "ctrl.ty"])
        cmds.animLayer("layerA", edit=True, attribute="ctrl.tx")
        assert sources("ctrl.tx") == ["ctrl_translateX_layerB.output"]
        assert sources("ctrl_translateX_layerB.inputA") == ["ctrl_translateX_layerA.output"]
        assert sources("ctrl_translateX_layerA.inputA") == ["ctrl_translateX.output"]
        assert (cmds.getAttr("ctrl.tx"), cmds.getAttr("ctrl.ty")) == (3.0, 4.0)

    @pytest.mark.parametrize("how", ["removeAttribute", "delete"])
    def test_leaving_a_layer_joins_the_base_curve_to_the_plug(self, rig, how):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=5.0, animLayer="layerA")
        if how == "delete":
            cmds.delete("layerA")
            assert cmds.listConnections("BaseAnimation.childrenLayers") is None
        else:
            cmds.animLayer("layerA", edit=True, removeAttribute="ctrl.tx")
        assert sources("ctrl.tx") == ["ctrl_translateX.output"]
        assert cmds.ls(type="animBlendNodeBase") == []
        assert cmds.ls(type="animCurve") == ["ctrl_translateX"]
        assert cmds.getAttr("ctrl.tx") == 1.0

    def test_a_plug_driven_by_a_connection_cannot_be_layered(self, rig):
        cmds.connectAttr("other.tx", "ctrl.tx")
        with pytest.raises(RuntimeError):
            cmds.animLayer("layerA", attribute="ctrl.tx")


class TestBestLayer:
    @pytest.mark.parametrize("holders, preferred, locked, best", [
        ("", "", "", "BaseAnimation"), ("AB", "", "", "layerB"), ("AB", "A", "", "layerA"),
        ("AB", "AB", "", "layerB"), ("A", "B", "", "layerA"), ("AB", "", "B", "layerA"),
        ("AB", "A", "A", "layerB"),
    ], ids=["no holder", "top-most holder", "preferred holder", "top-most preferred",
            "preferred holds nothing", "locked top", "locked preferred"])
    def test_best_layer_of_a_plug(self, rig, holders, preferred, locked, best):
        for name in "AB":  # layerA, then layerB above it
            cmds.animLayer("layer" + name, attribute="ctrl.tx" if name in holders else [],
                           preferred=name in preferred, lock=name in locked)
        assert cmds.animLayer("ctrl.tx", query=True, bestLayer=True) == best
        assert cmds.animLayer(query=True, bestAnimLayer=True, attribute="ctrl.tx") == [best]
        cmds.select("ctrl", "other")  # each selected object's best layer, each layer once
        assert cmds.animLayer(query=True, bestAnimLayer=True) == \
            list(dict.fromkeys([best, "BaseAnimation"]))
        cmds.select(clear=True)
        assert cmds.animLayer(query=True, bestAnimLayer=True) is None


class TestKeying:
    def test_a_key_in_a_layer_makes_the_layers_curve_and_tells_the_callback(self, rig):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute="ctrl.tx")
        edited = []

        def record(curves, clientData):
            edited.extend(om.MFnDependencyNode(curves[i]).name() for i in range(curves.length()))
        ident = oma.MAnimMessage.addAnimCurveEditedCallback(record)
        try:
            assert cmds.setKeyframe("ctrl.tx", time=(10,), value=2.0, animLayer="layerA") == 1
        finally:
            om.MMessage.removeCallback(ident)
        assert edited == ["ctrl_translateX_layerA_inputB"]
        assert cmds.nodeType(edited[0]) == "animCurveTL"
        assert sources("ctrl_translateX_layerA.inputB") == ["ctrl_translateX_layerA_inputB.output"]
        assert cmds.animLayer("layerA", query=True, animCurves=True) == edited
        assert cmds.animLayer("BaseAnimation", query=True, animCurves=True) == ["ctrl_translateX"]
        assert cmds.animLayer("layerA", query=True, findCurveForPlug="ctrl.tx") == edited
        assert curvesOf("ctrl.tx") == ["ctrl_translateX", "ctrl_translateX_layerA_inputB"]
        assert oma.MAnimUtil.isAnimated(plug("ctrl.tx"))

    def test_rotate_channels_share_one_blend_and_find_every_curve_behind_it(self, rig):
        for axis in "XY":
            cmds.setKeyframe("ctrl.rotate" + axis, time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute=["ctrl.rx", "ctrl.ry", "ctrl.rz"])
        assert [sources("ctrl.rotate" + a) for a in "XYZ"] == \
            [["ctrl_rotate_layerA.output" + a] for a in "XYZ"]
        assert cmds.animLayer("layerA", query=True, blendNodes=True) == ["ctrl_rotate_layerA"]
        cmds.setKeyframe("ctrl.ry", time=(1,), value=2.0, animLayer="layerA")
        assert curvesOf("ctrl.rx") == curvesOf("ctrl.ry") == \
            ["ctrl_rotateX", "ctrl_rotateY", "ctrl_rotate_layerA_inputBY"]
        assert cmds.getAttr("ctrl.ry") == pytest.approx(3.0)  # degrees
        assert curvesOf("ctrl.rotate") == []  # a compound is examined alone

    def test_a_layer_holding_nothing_passes_the_key_to_the_best_and_a_base_key_goes_under_all(
            self, rig):
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.animLayer("layerB")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=2.0, animLayer="layerB")  # holds nothing
        assert cmds.animLayer("layerA", query=True, animCurves=True) == \
            ["ctrl_translateX_layerA_inputB"]
        cmds.animLayer("layerB", edit=True, attribute="ctrl.tx")
        assert cmds.setKeyframe("ctrl.tx", time=(1,), value=3.0, animLayer="BaseAnimation") == 1
        assert cmds.animLayer("BaseAnimation", query=True, animCurves=True) == \
            ["ctrl_translateX_layerA_inputA"]
        assert sources("ctrl_translateX_layerA.inputA") == \
            ["ctrl_translateX_layerA_inputA.output"]
        assert cmds.getAttr("ctrl.tx") == 5.0

    def test_a_key_without_a_value_keeps_the_value_set_by_hand(self, rig):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute="ctrl.tx", weight=0.5)
        assert plug("ctrl.tx").isFreeToChange() == om.MPlug.kFreeToChange
        cmds.setAttr("ctrl.tx", 4.0)
        assert cmds.getAttr("ctrl.tx") == 4.0
        cmds.setKeyframe("ctrl.tx", animLayer="layerA")
        assert cmds.keyframe("ctrl_translateX_layerA_inputB", query=True, valueChange=True) \
            == [6.0]
        cmds.currentTime(5)
        assert cmds.getAttr("ctrl.tx") == 4.0

    def test_key_queries_read_the_best_layers_curve_and_a_locked_layer_takes_no_key(self, rig):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(7,), value=2.0, animLayer="layerA")
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [7.0]
        cmds.animLayer("layerA", edit=True, lock=True)
        assert cmds.keyframe("ctrl.tx", query=True, timeChange=True) == [1.0]
        # a locked layer takes no key
        assert cmds.setKeyframe("ctrl.tx", time=(3,), value=2.0, animLayer="layerA") == 0
        assert cmds.keyframe("ctrl_translateX_layerA_inputB", query=True, timeChange=True) \
            == [7.0]


class TestBlendedValues:
    @pytest.mark.parametrize("settings, weights, value", [
        ({}, (1.0, 1.0), 12.0), ({"weight": 0.5}, (0.5, 1.0), 11.0),
        ({"mute": True}, (0.0, 1.0), 10.0), ({"weight": 0.0}, (0.0, 1.0), 10.0),
        ({"override": True}, (1.0, 0.0), 2.0),
        ({"override": True, "weight": 0.25}, (0.25, 0.75), 8.0),
        ({"override": True, "passthrough": False, "weight": 0.5}, (0.5, 0.0), 1.0),
        ({"override": True, "mute": True}, (0.0, 1.0), 10.0),
    ], ids=["additive", "half weight", "muted", "weightless", "override",
            "override passthrough", "override alone", "muted override"])
    def test_the_weights_a_layer_gives_its_blends_and_the_linear_value(
            self, rig, settings, weights, value):
        cmds.setKeyframe("ctrl.tx", time=(10,), value=10.0)
        cmds.animLayer("layerA", attribute="ctrl.tx", **settings)
        cmds.setKeyframe("ctrl.tx", time=(10,), value=2.0, animLayer="layerA")
        assert (cmds.getAttr("layerA.foregroundWeight"),
                cmds.getAttr("layerA.backgroundWeight")) == pytest.approx(weights)
        assert cmds.getAttr("ctrl.tx", time=10) == pytest.approx(value)
        context = om.MDGContext(om.MTime(10, om.MTime.uiUnit()))
        assert plug("ctrl.tx").asMDistance(context).asCentimeters() == pytest.approx(value)

    @pytest.mark.parametrize("mode, weight, value", [
        (0, 1.0, 6.0), (0, 0.5, 3.0 * 2.0 ** 0.5), (1, 1.0, 5.0), (1, 0.5, 4.0)])
    def test_scale_channel(self, rig, mode, weight, value):
        cmds.setAttr("ctrl.sx", 3.0)
        cmds.animLayer("layerA", attribute="ctrl.sx", weight=weight)
        cmds.setAttr("layerA.scaleAccumulationMode", mode)
        cmds.setKeyframe("ctrl.sx", time=(1,), value=2.0, animLayer="layerA")
        assert cmds.getAttr("ctrl.sx") == pytest.approx(value)

    def test_a_boolean_channel_takes_the_layers_value_at_half_weight(self, rig):
        cmds.animLayer("layerA", attribute="ctrl.v", weight=0.5)
        cmds.setKeyframe("ctrl.v", time=(1,), value=0, animLayer="layerA")
        assert cmds.getAttr("ctrl.v") is False

    def test_rotation_channels_add_one_by_one(self, rig):
        cmds.animLayer("layerA")
        for axis, value in zip("XYZ", (0.0, 30.0, 0.0)):
            cmds.setKeyframe("ctrl.rotate" + axis, time=(1,), value=value)
            cmds.animLayer("layerA", edit=True, attribute="ctrl.rotate" + axis)
        for axis, value in zip("XYZ", (185.0, 175.0, 185.0)):
            cmds.setKeyframe("ctrl.rotate" + axis, time=(1,), value=value, animLayer="layerA")
        assert cmds.getAttr("ctrl.rotate", time=1) == [pytest.approx((185.0, 205.0, 185.0))]
        cmds.animLayer("layerA", edit=True, weight=0.5)
        assert cmds.getAttr("ctrl.rotate", time=1) == [pytest.approx((92.5, 117.5, 92.5))]

    def test_a_keyed_layer_weight_animates_the_blend(self, rig):
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=4.0, animLayer="layerA")
        cmds.setKeyframe("layerA.weight", time=(1,), value=0.0)
        cmds.setKeyframe("layerA.weight", time=(11,), value=1.0)
        assert [cmds.getAttr("ctrl.tx", time=t) for t in (1, 6, 11)] == [0.0, 2.0, 4.0]


class TestLayerAttributesThroughAModifier:
    """A layer flag written through a modifier acts on doIt; undoIt takes it back."""

    @pytest.mark.parametrize("layer, attribute, tx, best", [
        ("layerA", "mute", 11.0, "layerB"), ("layerA", "solo", 12.0, "layerB"),
        ("layerA", "override", 3.0, "layerB"), ("layerA", "preferred", 13.0, "layerA"),
        ("layerB", "lock", 13.0, "layerA")])
    def test_a_flag_written_through_a_modifier(self, rig, layer, attribute, tx, best):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=10.0)
        for name in ("layerA", "layerB"):
            cmds.animLayer(name, attribute="ctrl.tx")
        for name, offset in (("layerA", 2.0), ("layerB", 1.0)):  # layerA's blend is not on top
            cmds.setKeyframe("ctrl.tx", time=(1,), value=offset, animLayer=name)
        cmds.select("ctrl")
        modifier = om.MDagModifier()
        modifier.newPlugValueBool(plug("%s.%s" % (layer, attribute)), True)
        before = (False, 13.0, ["layerB"])
        for step, expected in ((lambda: None, before), (modifier.doIt, (True, tx, [best])),
                               (modifier.undoIt, before)):
            step()
            assert (cmds.animLayer(layer, query=True, **{attribute: True}),
                    cmds.getAttr("ctrl.tx"), cmds.animLayer(query=True, bestAnimLayer=True)) \
                == expected


class TestListingDagNodes:
    @pytest.mark.parametrize("name, kept", [
        ("ctrl", True), ("|ctrl", True), ("ctrlShape", True), ("md", False),
        ("layerA", False), ("nothing", False)])
    def test_ls_of_one_name_keeps_only_a_dag_node(self, rig, name, kept):
        cmds.createNode("locator", name="ctrlShape", parent="ctrl")
        cmds.createNode("multiplyDivide", name="md")
        cmds.animLayer("layerA")
        assert bool(cmds.ls(name, type="dagNode")) is kept

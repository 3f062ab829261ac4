"""An attribute's keys, its curves, whether it is animated and whether an animator may change it."""
import pytest
from maya import cmds


@pytest.fixture
def ctrl():
    cmds.createNode("transform", name="ctrl")
    cmds.createNode("transform", name="driver")
    return "ctrl"


def attr(rk, path):
    node, name = path.split(".")
    return rk.AnimAttr(rk.Node(node).getPlug(name))


def test_key_times_and_values_in_key_order(rk, ctrl):
    a = attr(rk, "ctrl.tx")
    assert (a.keyTimes, a.keyValues, a.isAnimated, a.animCurves) == (None, None, False, [])
    cmds.setKeyframe("ctrl.tx", time=(10,), value=3.0)
    cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
    a = attr(rk, "ctrl.tx")
    assert a.keyTimes == [1.0, 10.0] and a.keyValues == [1.0, 3.0] and a.isAnimated is True
    assert [c.name() for c in a.animCurves] == cmds.listConnections("ctrl.tx", source=True)


def drive(how):
    """Drives ctrl.tx (or its parent translate) the way an animator's rig would."""
    if how == "expression":
        cmds.expression(string="ctrl.translateX = frame;", name="follow")
    elif how == "utility":
        cmds.createNode("multiplyDivide", name="md")
        cmds.connectAttr("md.outputX", "ctrl.tx")
    elif how == "compound parent":
        cmds.createNode("plusMinusAverage", name="pma")
        cmds.connectAttr("pma.output3D", "ctrl.translate")
    elif how == "constraint":
        cmds.pointConstraint("driver", "ctrl")
    elif how == "animation":
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
    elif how == "locked":
        cmds.setAttr("ctrl.tx", lock=True)
    elif how == "hidden, in the channel box":
        cmds.setAttr("ctrl.tx", keyable=False, channelBox=True)
    elif how == "hidden":
        cmds.setAttr("ctrl.tx", keyable=False, channelBox=False)
    elif how == "layer member without keys":
        cmds.animLayer("layerA", attribute="ctrl.tx")


class TestChangeable:
    @pytest.mark.parametrize("how, changeable", [
        (None, True), ("animation", True), ("hidden, in the channel box", True),
        ("locked", False), ("hidden", False), ("expression", False), ("utility", False),
        ("compound parent", False), ("constraint", False), ("layer member without keys", True)])
    def test_changeable(self, rk, ctrl, how, changeable):
        drive(how)
        assert attr(rk, "ctrl.tx").isChangeable is changeable

    @pytest.mark.parametrize("channel", ["rx", "ry"])
    def test_rotation_layer_member_without_keys_is_changeable(self, rk, ctrl, channel):
        # Rotations share one blend, which drives the compound parent.
        cmds.animLayer("layerA", attribute=["ctrl.rx", "ctrl.ry", "ctrl.rz"])
        assert cmds.listConnections("ctrl.rotate", source=True, destination=False)
        a = attr(rk, "ctrl." + channel)
        assert a.isAnimated is False and a.isChangeable is True

    def test_constrained_channel_has_no_curves_even_when_keyed(self, rk, ctrl):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.pointConstraint("driver", "ctrl")
        a = attr(rk, "ctrl.tx")
        assert a.animCurves == [] and a.isAnimated is False


class TestLayeredCurves:
    def test_layered_channel_has_its_base_and_layer_curves(self, rk, ctrl):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute="ctrl.tx")
        cmds.setKeyframe("ctrl.tx", time=(1,), value=2.0, animLayer="layerA")
        curves = attr(rk, "ctrl.tx").animCurves
        assert len(curves) == 2
        assert {c.drivenPlug.name() for c in curves} == {"ctrl.translateX"}
        assert attr(rk, "ctrl.tx").isAnimated is True

    def test_curves_of_other_rotation_channels_are_left_out(self, rk, ctrl):
        for axis in "XYZ":
            cmds.setKeyframe("ctrl.rotate" + axis, time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute=["ctrl.rx", "ctrl.ry", "ctrl.rz"])
        for axis in "XYZ":
            cmds.setKeyframe("ctrl.rotate" + axis, time=(1,), value=2.0, animLayer="layerA")
        curves = attr(rk, "ctrl.ry").animCurves
        assert curves and {c.drivenPlug.name() for c in curves} == {"ctrl.rotateY"}

    def test_curves_of_the_layer_node_itself(self, rk, ctrl):
        cmds.animLayer("layerA")
        cmds.setKeyframe("layerA.weight", time=(1,), value=0.5)
        assert len(attr(rk, "layerA.weight").animCurves) == 1

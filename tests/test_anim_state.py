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


class TestChangeable:
    # Each way an animator's rig may hold ctrl.tx (or its parent translate), or leave it free.
    @pytest.mark.parametrize("how, hold, changeable", [
        ("free", lambda: None, True),
        ("animation", lambda: cmds.setKeyframe("ctrl.tx", time=(1,), value=1.0), True),
        ("hidden, in the channel box",
         lambda: cmds.setAttr("ctrl.tx", keyable=False, channelBox=True), True),
        ("layer member without keys", lambda: cmds.animLayer("layerA", attribute="ctrl.tx"), True),
        ("locked", lambda: cmds.setAttr("ctrl.tx", lock=True), False),
        ("hidden", lambda: cmds.setAttr("ctrl.tx", keyable=False, channelBox=False), False),
        ("expression",
         lambda: cmds.expression(string="ctrl.translateX = frame;", name="follow"), False),
        ("utility", lambda: cmds.connectAttr(
            cmds.createNode("multiplyDivide") + ".outputX", "ctrl.tx"), False),
        ("compound parent", lambda: cmds.connectAttr(
            cmds.createNode("plusMinusAverage") + ".output3D", "ctrl.translate"), False),
        ("constraint", lambda: cmds.pointConstraint("driver", "ctrl"), False)])
    def test_changeable(self, rk, ctrl, how, hold, changeable):
        hold()
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
    @pytest.mark.parametrize("channels, asked, driven", [
        (["tx"], "tx", "translateX"), (["rx", "ry", "rz"], "ry", "rotateY")])
    def test_layered_channel_has_its_base_and_layer_curves_only(self, rk, ctrl, channels, asked,
                                                                driven):
        # Rotations share one blend: the curves of the other rotation channels are left out.
        plugs = ["ctrl." + channel for channel in channels]
        for plug in plugs:
            cmds.setKeyframe(plug, time=(1,), value=1.0)
        cmds.animLayer("layerA", attribute=plugs)
        for plug in plugs:
            cmds.setKeyframe(plug, time=(1,), value=2.0, animLayer="layerA")
        a = attr(rk, "ctrl." + asked)
        assert len(a.animCurves) == 2 and a.isAnimated is True
        assert {c.drivenPlug.name() for c in a.animCurves} == {"ctrl." + driven}

    def test_curves_of_the_layer_node_itself(self, rk, ctrl):
        cmds.animLayer("layerA")
        cmds.setKeyframe("layerA.weight", time=(1,), value=0.5)
        assert len(attr(rk, "layerA.weight").animCurves) == 1

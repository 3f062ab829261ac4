"""What drives a channel besides animation: constraints, expressions, utility nodes."""
import pytest
from maya import cmds
from maya import OpenMaya as om
from maya import OpenMayaAnim as oma
from scene_lookup import dependNode, plug, sources


@pytest.fixture
def rig():
    """driver sits under a moved group; ctrl is at the origin."""
    cmds.createNode("transform", name="grp")
    cmds.createNode("transform", name="driver", parent="grp")
    cmds.createNode("transform", name="ctrl")
    cmds.setAttr("grp.translate", 10.0, 0.0, 0.0)
    cmds.setAttr("driver.translate", 1.0, 2.0, 3.0)
    cmds.setAttr("driver.rotate", 0.0, 0.0, 90.0)


CHANNELS = ["translateX", "translateY", "translateZ", "rotateX", "rotateY", "rotateZ"]


class TestConstraints:
    @pytest.mark.parametrize("command, fn, driven, pose", [
        ("parentConstraint", om.MFn.kParentConstraint, CHANNELS, (11, 2, 3, 0, 0, 90)),
        ("pointConstraint", om.MFn.kPointConstraint, CHANNELS[:3], (11, 2, 3, 0, 0, 0)),
        ("orientConstraint", om.MFn.kOrientConstraint, CHANNELS[3:], (0, 0, 0, 0, 0, 90)),
    ])
    def test_a_constraint_drives_its_channels(self, rig, command, fn, driven, pose):
        name = "ctrl_%s1" % command
        assert getattr(cmds, command)("driver", "ctrl") == [name]
        assert cmds.nodeType(name) == command and cmds.listRelatives(name, parent=True) == ["ctrl"]
        node = dependNode(name)
        assert node.hasFn(om.MFn.kConstraint) and node.hasFn(fn)
        prefix = {"t": "constraintTranslate", "r": "constraintRotate"}
        assert [sources("ctrl." + c) for c in CHANNELS] == [
            ["%s.%s%s" % (name, prefix[c[0]], c[-1])] if c in driven else None for c in CHANNELS]
        assert cmds.getAttr("ctrl.translate")[0] + cmds.getAttr("ctrl.rotate")[0] == \
            pytest.approx(pose)
        assert oma.MAnimUtil.isAnimated(plug("ctrl." + driven[0])) is False

    def test_a_second_target_joins_the_same_constraint(self, rig):
        cmds.createNode("transform", name="second")
        cmds.pointConstraint("driver", "ctrl")
        assert cmds.pointConstraint("second", "ctrl", weight=3.0) == ["ctrl_pointConstraint1"]
        assert cmds.pointConstraint("ctrl_pointConstraint1", query=True, targetList=True) == \
            ["driver", "second"]
        assert cmds.pointConstraint("ctrl", query=True, weightAliasList=True) == \
            ["driverW0", "secondW1"]
        assert cmds.getAttr("ctrl.translate")[0] == pytest.approx((11 / 4.0, 0.5, 0.75))

    def test_offsets_skips_and_locks(self, rig):
        cmds.setAttr("ctrl.ty", lock=True)
        cmds.setAttr("ctrl.rx", 45.0)
        cmds.pointConstraint("driver", "ctrl", offset=(1.0, 0.0, 0.0), skip="z")
        assert [sources("ctrl.t" + a) is not None for a in "xyz"] == [True, False, False]
        assert cmds.getAttr("ctrl.tx") == pytest.approx(12.0)
        cmds.orientConstraint("driver", "ctrl", maintainOffset=True)
        assert cmds.getAttr("ctrl.rotate")[0] == pytest.approx((45.0, 0.0, 0.0))

    def test_a_keyed_channel_is_taken_over(self, rig):
        cmds.setKeyframe("ctrl.tx", time=(1,), value=5.0)
        cmds.pointConstraint("driver", "ctrl")
        assert sources("ctrl.tx") == ["ctrl_pointConstraint1.constraintTranslateX"]
        assert oma.MAnimUtil.findAnimation(plug("ctrl.tx"), om.MObjectArray()) is False

    def test_a_channel_driven_otherwise_is_refused(self, rig):
        cmds.connectAttr("grp.tx", "ctrl.tx")
        with pytest.raises(RuntimeError):
            cmds.pointConstraint("driver", "ctrl")


class TestExpressions:
    def test_an_expression_drives_what_it_assigns(self, rig):
        cmds.setAttr("ctrl.ty", 2.5)
        name = cmds.expression(string="ctrl.ty = frame * driver.tx;", name="follow")
        assert name == "follow" and cmds.nodeType(name) == "expression"
        assert dependNode(name).hasFn(om.MFn.kExpression)
        assert [sources(p) for p in ("ctrl.ty", "follow.input[0]", "follow.time")] == [
            ["follow.output[0]"], ["driver.translateX"], ["time1.outTime"]]
        assert cmds.getAttr("ctrl.ty") == 1.0
        cmds.currentTime(4)
        assert cmds.getAttr("ctrl.ty") == 4.0

    @pytest.mark.parametrize("text, values", [
        ("ctrl.ty = driver.tz * 2 - 1; ctrl.rz = driver.rz / 3;", (5.0, 30.0)),
        ("$a = sin(deg_to_rad(driver.rz)); ctrl.ty = $a + time; ctrl.rz = -frame;",
         (1.5, -12.0)),
        ("float $t = frame; ctrl.ty = $t * 0.5; ctrl.rz = abs(ctrl.ty) + 1;", (6.0, 7.0)),
    ])
    def test_plain_assignments_are_evaluated_in_the_users_units(self, rig, text, values):
        # Attributes in working units, ``time`` in seconds, ``frame`` the current frame.
        cmds.currentTime(12)
        cmds.expression(string=text)
        assert (cmds.getAttr("ctrl.ty"), cmds.getAttr("ctrl.rz")) == pytest.approx(values)
        assert cmds.getAttr("ctrl.rotateZ", time=12) == pytest.approx(values[1])

    @pytest.mark.parametrize("text", ["if (frame > 1) ctrl.ty = 3; else ctrl.ty = 4;",
                                      "ctrl.ty = rand(1);", "ctrl.ty = 1 / 0;",
                                      "ctrl.ty = sin;", "ctrl.ty = (1, 2);"])
    def test_what_the_stand_in_cannot_evaluate_holds_its_value(self, rig, text):
        cmds.setAttr("ctrl.ty", 2.5)
        cmds.expression(string=text)
        assert cmds.getAttr("ctrl.ty") == 2.5

    @pytest.mark.parametrize("flags, expected", [
        ({}, "ctrl.translateX = ctrl.translateY + driver.rotateZ; $t = 2;"),
        ({"shortNames": True}, "tx = ty + driver.rz; $t = 2;"),
        ({"sn": True}, "tx = ty + driver.rz; $t = 2;"),
    ])
    def test_the_queried_string_names_attributes_in_full(self, rig, flags, expected):
        # expression -shortNames: "The default is to return the FULL attribute name".
        name = cmds.expression(string="tx = ctrl.translateY + driver.rz; $t = 2;",
                               object="ctrl")
        assert cmds.expression(name, query=True, string=True, **flags) == expected
        cmds.rename("driver", "lead")
        assert cmds.expression(name, query=True, string=True, **flags) == \
            expected.replace("driver", "lead")

    def test_the_default_object_names_bare_attributes(self, rig):
        name = cmds.expression(string="tx = ty + 1; $t = 2;", object="ctrl")
        assert name == "expression1"
        assert [sources(p) for p in ("ctrl.tx", "expression1.input[0]", "expression1.objectMsg")] \
            == [["expression1.output[0]"], ["ctrl.translateY"], ["ctrl.message"]]
        assert cmds.expression(name, query=True, object=True) == "ctrl"

    @pytest.mark.parametrize("text", ["ctrl.noSuch = 1;", "ctrl.tx = 1; ctrl.tx = 2; grp.tx = 3;"])
    def test_a_bad_or_taken_plug_is_refused_and_leaves_nothing(self, rig, text):
        cmds.setKeyframe("grp.tx", time=(1,), value=1.0)
        with pytest.raises(RuntimeError):
            cmds.expression(string=text)
        assert cmds.ls(type="expression") == []
        assert sources("ctrl.tx") is None


class TestUtilityNodes:
    @pytest.mark.parametrize("operation, output", [
        (0, (1.0, 2.0, 3.0)), (1, (11.0, 22.0, 33.0)), (2, (-9.0, -18.0, -27.0)),
        (3, (5.5, 11.0, 16.5))], ids=["none", "sum", "subtract", "average"])
    def test_plus_minus_average(self, rig, operation, output):
        cmds.createNode("plusMinusAverage", name="pma")
        cmds.setAttr("pma.operation", operation)
        cmds.setAttr("pma.input3D[0]", 1.0, 2.0, 3.0)
        cmds.setAttr("pma.input3D[3]", 10.0, 20.0, 30.0)
        cmds.setAttr("pma.input1D[0]", output[0])
        cmds.connectAttr("pma.output3D", "ctrl.translate")
        assert cmds.getAttr("ctrl.translate")[0] == pytest.approx(output)
        assert cmds.getAttr("pma.output1D") == pytest.approx(output[0])
        assert dependNode("pma").hasFn(om.MFn.kPlusMinusAverage)

    def test_multiply_divide_drives_a_channel(self, rig):
        cmds.createNode("multiplyDivide", name="md")
        cmds.setAttr("md.input1X", 3.0)
        cmds.setAttr("md.input2X", 4.0)
        cmds.connectAttr("md.outputX", "ctrl.tx")
        assert cmds.getAttr("ctrl.tx") == 12.0

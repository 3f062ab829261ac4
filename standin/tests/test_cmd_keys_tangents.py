"""Tangent types and weighted curves of the stand-in's keys, through
keyTangent, setKeyframe and MFnAnimCurve.  (The curve's per-key flag arrays,
keyTickDrawSpecial and keyBreakdown, are read and written as plugs by the
key-kind tool tests in tests/test_key_tools.py.)"""
import pytest
from maya import cmds
import maya.OpenMaya as om
import maya.OpenMayaAnim as oma
from scene_lookup import dependNode


class TestTangentTypes:
    def test_edits_reach_the_keys_in_the_time_range_only(self, curve):
        assert cmds.keyTangent("ball.translateX", time=(5, 9), inTangentType="linear",
                               outTangentType="step") == 1
        assert cmds.keyTangent(curve, query=True, inTangentType=True) == [
            "auto", "linear", "linear"]
        assert cmds.keyTangent(curve, query=True, outTangentType=True, time=(9, 9)) == ["step"]
        fn = oma.MFnAnimCurve(dependNode(curve))
        assert [fn.outTangentType(i) for i in range(3)] == [
            oma.MFnAnimCurve.kTangentAuto, oma.MFnAnimCurve.kTangentStep,
            oma.MFnAnimCurve.kTangentStep]

    def test_set_keyframe_and_the_api_set_a_keys_types(self, curve):
        cmds.setKeyframe("ball.translateX", time=(3,), value=1.0, inTangentType="flat",
                         outTangentType="clamped")
        fn = oma.MFnAnimCurve(dependNode(curve))
        assert (fn.inTangentType(1), fn.outTangentType(1)) == (
            oma.MFnAnimCurve.kTangentFlat, oma.MFnAnimCurve.kTangentClamped)
        fn.setInTangentType(0, oma.MFnAnimCurve.kTangentPlateau)
        assert cmds.keyTangent(curve, query=True, inTangentType=True, index=(0, 0)) == [
            "plateau"]

    @pytest.mark.parametrize("types, expected", [
        ((), ("kTangentAuto", "kTangentAuto")),              # kTangentGlobal, the default
        (("kTangentGlobal", "kTangentGlobal"), ("kTangentAuto", "kTangentAuto")),
        (("kTangentLinear", "kTangentStep"), ("kTangentLinear", "kTangentStep")),
    ])
    def test_add_key_takes_its_tangent_types(self, curve, types, expected):
        # C++/Python API reference, MFnAnimCurve::addKey(time, value,
        # tangentInType = kTangentGlobal, tangentOutType = kTangentGlobal, change).
        fn = oma.MFnAnimCurve(dependNode(curve))
        args = [getattr(oma.MFnAnimCurve, name) for name in types]
        index = fn.addKey(om.MTime(7.0, om.MTime.uiUnit()), 3.0, *args)
        assert index == 2 and fn.numKeys() == 4 and fn.value(2) == 3.0
        assert (fn.inTangentType(2), fn.outTangentType(2)) == tuple(
            getattr(oma.MFnAnimCurve, name) for name in expected)

    def test_types_follow_their_key_when_it_moves(self, curve):
        cmds.keyTangent(curve, time=(1, 1), outTangentType="linear")
        cmds.keyframe(curve, edit=True, time=(1, 1), timeChange=7)
        assert cmds.keyTangent(curve, query=True, outTangentType=True) == [
            "auto", "linear", "auto"]

    def test_an_unknown_type_is_refused_before_anything_changes(self, curve):
        fn = oma.MFnAnimCurve(dependNode(curve))
        with pytest.raises(RuntimeError):
            cmds.keyTangent(curve, inTangentType="bouncy")
        with pytest.raises(RuntimeError):
            fn.setOutTangentType(0, 99)
        with pytest.raises(RuntimeError):
            fn.addKey(om.MTime(7.0, om.MTime.uiUnit()), 3.0, 99, 0)
        assert fn.numKeys() == 3
        assert cmds.keyTangent(curve, query=True, outTangentType=True) == ["auto"] * 3

    def test_weighted_tangents_belong_to_the_curve(self, curve):
        fn = oma.MFnAnimCurve(dependNode(curve))
        assert cmds.keyTangent(curve, query=True, weightedTangents=True) == [False]
        assert not fn.isWeighted()
        cmds.keyTangent(curve, edit=True, weightedTangents=True)
        assert fn.isWeighted()
        assert cmds.keyTangent("ball.translateX", query=True, weightedTangents=True) == [True]

